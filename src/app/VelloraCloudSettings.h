#pragma once

#include "CapturedShortcut.h"
#include "Result.h"

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <optional>

class NativeAppAppearance;
class SecureConfigurationFileMonitor;
class SecureConfigurationRepository;
class UserDefaults;
class VelloraPreferences;

// Mirrors the user's settings through config.json in a folder that a sync
// client keeps in step between machines (Nextcloud, Syncthing, Dropbox,
// OneDrive, a mounted drive): language, appearance, palette, icon visibility,
// hot key and AI service settings. The API key never enters the file. Owns the
// on/off switch and the one-line status of the settings window; writes local
// changes 0.35 s after the last one, reloads the file when it changes, and,
// when switched on while the file holds other settings, lets the user choose.
//
// GUI thread only. File work (the lock waits, reads and writes of the guarded
// repository) runs in order on a worker thread of its own; results come back
// here, and results of a session that has ended since are dropped.
class VelloraCloudSettings final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)

public:
    // The record stored in config.json, in the file's key order.
    struct Configuration {
        qint64 version = 1;
        QString aiBaseURL;
        QString aiModel;
        QString polishPrompt;
        bool hideMenuBarIcon = false;
        // Absent in files of early versions: the opposite of hideMenuBarIcon then.
        std::optional<bool> hideDockIcon;
        CapturedShortcut shortcut;
        QString colorMode;
        QString language;
        QString accentPalette;

        // Compact JSON with the keys in the order above and strings escaped as
        // the macOS encoder escapes them ("/" as "\/"), so both systems write
        // the same bytes for the same settings.
        Result<QByteArray> encoded() const;
        // Every key but hideDockIcon required with its type; other keys are
        // ignored; a version other than 1 is refused. An absent or null
        // hideDockIcon becomes the opposite of hideMenuBarIcon.
        static Result<Configuration> decode(const QByteArray &bytes);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    // Where the synced folder and the backups are.
    struct Locations {
        // Folders that may be the cloud drive's root, in order; the first that exists is used.
        QStringList cloudDriveCandidates;
        // Where the file's previous content is kept when the local settings replace it.
        QString backupFolder;

        // $VELLORA_CLOUD_DRIVE, then under the home folder "Library/Mobile
        // Documents/com~apple~CloudDocs", "Nextcloud", "Dropbox", "Sync",
        // "OneDrive"; backups under the data folder's "Vellora/Configuration Backups".
        static Locations standard();
        static QStringList cloudDriveCandidatesFor(const QString &environmentValue, const QString &home);
    };

    // Reads "iCloudSyncEnabled" from `defaults`; touches no file. The shared
    // objects must outlive the controller.
    VelloraCloudSettings(VelloraPreferences &preferences, NativeAppAppearance &appearance, UserDefaults &defaults,
                         Locations locations = Locations::standard(), QObject *parent = nullptr);
    // Stops watching and drops a pending save without writing it; file work
    // already under way finishes first.
    ~VelloraCloudSettings() override;

    bool enabled() const { return m_enabled; }
    // The status as stored: a localisation key, with the error's description
    // in place of "%@" where it has one.
    QString status() const;
    // The status in an interface language.
    QString statusText(const QString &language) const;
    // A switch-on is under way (its file work, or the choice dialog).
    bool switching() const { return m_switching; }
    // The configuration file of the active session; empty while off.
    QString configurationPath() const { return m_configurationPath; }

    // Called once at launch: opens the file and watches it when sync is on.
    void startIfEnabled();
    // The settings switch. Switching on finishes later (after the file work,
    // or the user's choice); enabledChanged follows in every case, also when
    // switching on failed or was cancelled and the switch stays off.
    void setEnabled(bool on);
    // Asks for a write of the current settings 0.35 s after the last request.
    void save();
    // Re-reads the file after a change notice.
    void reload();
    // Writes a pending save now.
    void flushPendingSave();
    // Waits until the file work that was asked for has finished (at termination).
    void waitForFileWork();

    // The settings as they are now, as the file would hold them.
    Configuration current() const;
    // The first existing folder of the candidates, if any.
    static std::optional<QString> cloudDriveRoot(const QStringList &candidates);
    // Names of the files that stand for config.json while a sync client has
    // not downloaded it yet.
    static QStringList placeholderNames();

    // The choice dialog while it is open, for tests and screenshots.
    QMessageBox *choiceDialog() const { return m_choice; }

signals:
    void enabledChanged(bool enabled);
    void statusChanged();

private:
    struct Status {
        QString key;
        std::optional<QString> detail;
    };
    struct Prepared;
    struct Opened;
    struct Reloaded;
    struct SwitchedOn;

    // File work: the configuration file's folder in the first cloud folder, made, and a repository for the file.
    static Prepared prepare(const QStringList &candidates);
    void setStatus(const QString &key, std::optional<QString> detail = std::nullopt);
    void apply(const Configuration &configuration);
    void persist();
    void startMonitoring();
    void finishEnabling(std::shared_ptr<SecureConfigurationRepository> repository, const QString &path);
    void failEnabling(const QString &key, std::optional<QString> detail);
    void askForChoice(std::shared_ptr<SecureConfigurationRepository> repository, const QString &path,
                      const Configuration &fromFile);
    void closeChoice();
    void endSession();
    template <typename Work, typename Done> void runFileWork(Work work, Done done);

    VelloraPreferences &m_preferences;
    NativeAppAppearance &m_appearance;
    UserDefaults &m_defaults;
    Locations m_locations;

    bool m_enabled = false;
    Status m_status;
    bool m_applying = false;
    bool m_switching = false;
    std::shared_ptr<SecureConfigurationRepository> m_repository;
    QString m_configurationPath;
    std::unique_ptr<SecureConfigurationFileMonitor> m_monitor;
    QTimer m_pendingSave;
    QPointer<QMessageBox> m_choice;

    // A reload's file work is under way; another change notice came meanwhile.
    bool m_reloading = false;
    bool m_reloadAgain = false;
    // Counts save requests, so a reload that raced a local change is dropped.
    quint64 m_localChanges = 0;
    // Grows when a session ends or a new one starts; older results are dropped.
    quint64 m_session = 0;
    // One thread: file work runs in the order it was asked for.
    QThreadPool m_fileQueue;
};

#pragma once

#include "AppBundle.h"
#include "NativeUpdateAlertPresenter.h"
#include "NativeUpdateConfiguration.h"
#include "NativeUpdateManifest.h"
#include "NativeUpdatePrompt.h"
#include "Result.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class NativeUpdateDownload;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class UserDefaults;

// Where the updater stands. Two states are equal when they are the same case
// with the same text.
struct NativeUpdateState {
    enum class Kind { idle, checking, current, available, downloading, ready, failed };
    Kind kind = Kind::idle;
    // The version for available, downloading and ready; the whole message for failed.
    QString text;

    static NativeUpdateState idle() { return {}; }
    static NativeUpdateState checking() { return {Kind::checking, {}}; }
    static NativeUpdateState current() { return {Kind::current, {}}; }
    static NativeUpdateState available(const QString &version) { return {Kind::available, version}; }
    static NativeUpdateState downloading(const QString &version) { return {Kind::downloading, version}; }
    static NativeUpdateState ready(const QString &version) { return {Kind::ready, version}; }
    static NativeUpdateState failed(const QString &message) { return {Kind::failed, message}; }

    friend bool operator==(const NativeUpdateState &, const NativeUpdateState &) = default;
};

// The one object through which the application updates itself: it checks the
// manifest (automatically four seconds after launch and then every six hours,
// or when asked), asks whether to download a newer build, downloads the archive
// into memory with progress, has it verified and staged off the GUI thread,
// asks whether to restart, and finally starts the installation helper and asks
// the application to quit. All of its texts are in the updater's own language
// (preferredLanguages). A development build (configuration.isEnabled false)
// never checks, downloads or installs. GUI thread only.
class NativeUpdater final : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(bool accepted)>;
    using PromptPresenter = std::function<void(const NativeUpdatePrompt &, Completion)>;
    using RestartPreparation = std::function<QFuture<Result<void>>()>;

    static constexpr std::chrono::milliseconds FirstCheckDelay{4000};
    static constexpr std::chrono::milliseconds CheckInterval{21600000};
    static constexpr std::chrono::seconds PromptInterval{86400};
    static constexpr std::chrono::milliseconds ManifestTimeout{20000};
    static constexpr qint64 MaximumManifestBytes = 1 << 20;
    // Beyond this an archive is no update of ours; the download stops.
    static constexpr qint64 MaximumArchiveBytes = qint64(1) << 30;

    // The automatic-check switch is read from userDefaults here, once.
    // `network` is the application's one session on the GUI thread; both must
    // outlive the updater.
    NativeUpdater(NativeUpdateConfiguration configuration, UserDefaults &userDefaults,
                  QNetworkAccessManager &network, QObject *parent = nullptr);
    ~NativeUpdater() override;

    // "NativeUpdater.<product>.automaticallyChecksForUpdates"
    static QString automaticChecksKey(const QString &product);
    // "NativeUpdater.<product>.prompt.<build>": when the prompt for that build
    // was last shown, in seconds since 1970.
    static QString promptKey(const QString &product, qint64 build);

    const NativeUpdateConfiguration &configuration() const { return m_configuration; }
    const NativeUpdateState &state() const { return m_state; }
    // Absent when nothing downloads or the length is not known.
    std::optional<double> downloadProgress() const { return m_downloadProgress; }
    bool automaticallyChecksForUpdates() const { return m_automaticallyChecksForUpdates; }
    // Stores a changed value and reschedules the automatic checks.
    void setAutomaticallyChecksForUpdates(bool on);
    bool isRestarting() const { return m_isRestarting; }
    // Absent: the bundle's language.
    const std::optional<QStringList> &preferredLanguages() const { return m_preferredLanguages; }
    void setPreferredLanguages(const std::optional<QStringList> &languages);
    const std::optional<NativeUpdateManifest> &availableManifest() const { return m_availableManifest; }
    const std::optional<QString> &stagedApplication() const { return m_stagedApplication; }

    // Host hooks; the application sets none of them.
    void setPromptPresenter(PromptPresenter presenter) { m_promptPresenter = std::move(presenter); }
    void setPrepareForRestart(RestartPreparation preparation) { m_prepareForRestart = std::move(preparation); }
    void setRestartPreparationDidFail(std::function<void()> hook) { m_restartPreparationDidFail = std::move(hook); }
    NativeUpdateAlertPresenter &defaultPromptPresenter() { return *m_defaultPromptPresenter; }

    // The bundle this process runs from: its CFBundleVersion is the running
    // build, and its folder is what an update replaces. AppBundle::main() unless set.
    void setRunningBundle(const std::optional<AppBundle> &bundle) { m_runningBundle = bundle; }
    const std::optional<AppBundle> &runningBundle() const { return m_runningBundle; }
    // How the application is asked to quit once the helper runs (QCoreApplication::quit unless set).
    void setTermination(std::function<void()> terminate) { m_terminate = std::move(terminate); }
    // The automatic checks' delay and period (4 s and 6 h unless set).
    void setSchedule(std::chrono::milliseconds firstCheckDelay, std::chrono::milliseconds interval);

    // Called once after launch: the automatic checks may run from now on.
    void startAutomaticChecks();
    // A manual check announces its outcome; an automatic one prompts only under
    // the 24-hour rule. presentErrors: failures of a manual check get an alert.
    void checkForUpdates(bool manual, bool presentErrors);
    // The settings' button: restart when ready, download when available, else check.
    void performPrimaryAction(bool presentErrors);
    void openUpdateHistory();
    QUrl updateHistoryURL() const;

    // The settings' status line, button title and button state.
    QString statusText() const;
    QString actionTitle() const;
    bool actionDisabled() const;
    // The base text, then " 42%" when a progress is known.
    static QString downloadingStatusText(const QString &base, std::optional<double> progress);

signals:
    void stateChanged(const NativeUpdateState &state);
    void downloadProgressChanged(std::optional<double> progress);
    void automaticallyChecksForUpdatesChanged(bool on);
    void isRestartingChanged(bool restarting);
    void preferredLanguagesChanged();
    // Any value the settings show may have changed.
    void changed();

private:
    void refreshAutomaticChecks();
    void setState(const NativeUpdateState &state);
    void setDownloadProgress(std::optional<double> progress);
    void setRestarting(bool restarting);
    void sendCheck(bool manual, bool presentErrors, const std::optional<QSslConfiguration> &tls);
    void finishCheck(QNetworkReply *reply, bool manual, bool presentErrors);
    void presentAvailable(const NativeUpdateManifest &manifest, bool presentErrors);
    void download(const NativeUpdateManifest &manifest, bool presentErrors);
    void sendDownload(const NativeUpdateManifest &manifest, bool presentErrors,
                      const std::optional<QSslConfiguration> &tls);
    void finishDownload(QNetworkReply *reply, const NativeUpdateManifest &manifest, bool presentErrors);
    void downloadFailed(const Error &error, bool presentErrors);
    void presentReady(const NativeUpdateManifest &manifest);
    void restartAndInstall();
    void launchHelper(const Result<void> &preparation);
    void present(const QString &message, NativeUpdateAlertStyle style);
    void show(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style, Completion completion);
    // A failure's text in the updater's language.
    QString describe(const Error &error) const;
    QString copy(const QString &key) const;
    QString copy(const QString &key, const QStringList &values) const;

    NativeUpdateState m_state;
    std::optional<double> m_downloadProgress;
    bool m_automaticallyChecksForUpdates;
    RestartPreparation m_prepareForRestart;
    std::function<void()> m_restartPreparationDidFail;
    bool m_isRestarting = false;
    PromptPresenter m_promptPresenter;
    std::unique_ptr<NativeUpdateAlertPresenter> m_defaultPromptPresenter;
    std::optional<QStringList> m_preferredLanguages;
    NativeUpdateConfiguration m_configuration;
    std::optional<NativeUpdateManifest> m_availableManifest;
    std::optional<QString> m_stagedApplication;
    QTimer *m_timer = nullptr;
    QTimer *m_delayedCheck = nullptr;
    bool m_requestInFlight = false;
    bool m_automaticChecksRequested = false;
    UserDefaults &m_userDefaults;

    QNetworkAccessManager &m_network;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<NativeUpdateDownload> m_download;
    std::optional<AppBundle> m_runningBundle;
    std::function<void()> m_terminate;
    std::chrono::milliseconds m_firstCheckDelay = FirstCheckDelay;
    std::chrono::milliseconds m_checkInterval = CheckInterval;
};

#pragma once

#include "CapturedShortcut.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>

class SecretStore;
class UserDefaults;

// The one observable store of the user's settings. Each setting lives in
// memory, is persisted in the UserDefaults domain it was given, and is
// announced through Qt change signals (the settings window binds to them) and
// four callbacks that the application installs. Beside the settings it carries
// the transient key and shortcut status that the settings window shows.
//
// Threads: used on the GUI thread only. Every assignment writes the domain and
// runs its callbacks synchronously, even when the value is unchanged. Keyring
// work (the key check at start, saveKey) runs in order on a worker thread of
// its own and is applied back here; keyBusy is true meanwhile.
class VelloraPreferences final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString aiBaseURL READ aiBaseURL WRITE setAiBaseURL NOTIFY aiBaseURLChanged)
    Q_PROPERTY(QString aiModel READ aiModel WRITE setAiModel NOTIFY aiModelChanged)
    Q_PROPERTY(QString polishPrompt READ polishPrompt WRITE setPolishPrompt NOTIFY polishPromptChanged)
    Q_PROPERTY(bool hideMenuBarIcon READ hideMenuBarIcon WRITE setHideMenuBarIcon NOTIFY hideMenuBarIconChanged)
    Q_PROPERTY(bool hideDockIcon READ hideDockIcon WRITE setHideDockIcon NOTIFY hideDockIconChanged)
    Q_PROPERTY(bool keySaved READ keySaved WRITE setKeySaved NOTIFY keySavedChanged)
    Q_PROPERTY(QString keyError READ keyError WRITE setKeyError NOTIFY keyErrorChanged)
    Q_PROPERTY(bool keyBusy READ keyBusy NOTIFY keyBusyChanged)
    Q_PROPERTY(CapturedShortcut shortcut READ shortcut WRITE setShortcut NOTIFY shortcutChanged)
    Q_PROPERTY(QString shortcutTitle READ shortcutTitle NOTIFY shortcutChanged)
    Q_PROPERTY(QString shortcutError READ shortcutError WRITE setShortcutError NOTIFY shortcutErrorChanged)
    Q_PROPERTY(QString textLimitNotice READ textLimitNotice WRITE setTextLimitNotice NOTIFY textLimitNoticeChanged)
    Q_PROPERTY(QString colorMode READ colorMode WRITE setColorMode NOTIFY colorModeChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)

public:
    enum class ColorScheme { System, Light, Dark };
    Q_ENUM(ColorScheme)

    using Callback = std::function<void()>;
    using ColorSchemeApplier = std::function<void(ColorScheme)>;

    // Reads every setting from `defaults`, falling back per setting, and
    // writes back only a legacy default prompt that it replaced. With readKey
    // (and without "--open-settings-preview" among the arguments) it starts a
    // keyring read that sets keySaved when a key is stored. `defaults` and
    // `keyStore` must outlive the store.
    VelloraPreferences(UserDefaults &defaults, SecretStore &keyStore, bool readKey, const QStringList &arguments,
                       QObject *parent = nullptr);
    // The process's own arguments.
    VelloraPreferences(UserDefaults &defaults, SecretStore &keyStore, bool readKey, QObject *parent = nullptr);
    ~VelloraPreferences() override;

    static QString defaultBaseURL();
    static QString defaultModel();

    // The longest texts kept. A longer one (a settings file edited by hand, a
    // synced file, a paste) is cut when it is read or assigned, and
    // textLimitNotice says so: laying out a text of a megabyte would stall
    // the settings window for minutes.
    static constexpr qsizetype MaximumBaseURLLength = 2048;
    static constexpr qsizetype MaximumModelLength = 256;
    static constexpr qsizetype MaximumPromptLength = 20000;
    // The notices, as localisation keys.
    static QString baseURLCutNotice();
    static QString modelCutNotice();
    static QString promptCutNotice();

    QString aiBaseURL() const { return m_aiBaseURL; }
    QString aiModel() const { return m_aiModel; }
    QString polishPrompt() const { return m_polishPrompt; }
    bool hideMenuBarIcon() const { return m_hideMenuBarIcon; }
    bool hideDockIcon() const { return m_hideDockIcon; }
    bool keySaved() const { return m_keySaved; }
    QString keyError() const { return m_keyError; }
    bool keyBusy() const { return m_pendingKeyOperations > 0; }
    CapturedShortcut shortcut() const { return m_shortcut; }
    QString shortcutError() const { return m_shortcutError; }
    // Transient: the notice of the text that was cut last (a localisation key),
    // "" when the last assignment of that setting fitted.
    QString textLimitNotice() const { return m_textLimitNotice; }
    QString colorMode() const { return m_colorMode; }
    QString language() const { return m_language; }

    void setAiBaseURL(const QString &value);
    void setAiModel(const QString &value);
    void setPolishPrompt(const QString &value);
    void setHideMenuBarIcon(bool value);
    void setHideDockIcon(bool value);
    void setKeySaved(bool value);
    void setKeyError(const QString &value);
    void setShortcut(const CapturedShortcut &value);
    void setShortcutError(const QString &value);
    void setTextLimitNotice(const QString &value);
    void setColorMode(const QString &value);
    void setLanguage(const QString &value);

    // Absent callbacks are skipped; each may be replaced at any time.
    void setOnVisibilityChange(Callback callback) { m_onVisibilityChange = std::move(callback); }
    void setOnShortcutChange(Callback callback) { m_onShortcutChange = std::move(callback); }
    void setOnLanguageChange(Callback callback) { m_onLanguageChange = std::move(callback); }
    void setOnConfigurationChange(Callback callback) { m_onConfigurationChange = std::move(callback); }

    // Stores the typed key, trimmed, in the keyring, or deletes the stored key
    // when nothing but blanks was typed. Returns at once; keySaved and keyError
    // change when the keyring has answered. Never fails to its caller.
    void saveKey(const QString &typed);

    // The shortcut as menus and settings show it, e.g. Ctrl+Shift+Super+2.
    QString shortcutTitle() const { return m_shortcut.displayTitle(); }

    // "light" and "dark" (exactly); every other text follows the desktop.
    static ColorScheme colorSchemeFor(const QString &colorMode);
    // Hands colorSchemeFor(colorMode) to the applier that the application
    // installed (the widget layer owns styles and palettes). Without one it
    // does nothing.
    void applyColorMode();
    void setColorSchemeApplier(ColorSchemeApplier applier) { m_colorSchemeApplier = std::move(applier); }

signals:
    void aiBaseURLChanged();
    void aiModelChanged();
    void polishPromptChanged();
    void hideMenuBarIconChanged();
    void hideDockIconChanged();
    void keySavedChanged();
    void keyErrorChanged();
    void keyBusyChanged();
    void shortcutChanged();
    void shortcutErrorChanged();
    void textLimitNoticeChanged();
    void colorModeChanged();
    void languageChanged();

private:
    static void call(const Callback &callback);
    // The text cut to maximum characters (never inside a surrogate pair), with
    // the notice set or cleared to match.
    QString bounded(const QString &text, qsizetype maximum, const QString &notice);
    template <typename Work, typename Apply> void runKeyOperation(Work work, Apply apply);

    UserDefaults &m_defaults;
    SecretStore &m_keyStore;

    QString m_aiBaseURL;
    QString m_aiModel;
    QString m_polishPrompt;
    bool m_hideMenuBarIcon = false;
    bool m_hideDockIcon = true;
    bool m_keySaved = false;
    QString m_keyError;
    CapturedShortcut m_shortcut = CapturedShortcut::defaultShortcut();
    QString m_shortcutError;
    QString m_textLimitNotice;
    QString m_colorMode;
    QString m_language;

    Callback m_onVisibilityChange;
    Callback m_onShortcutChange;
    Callback m_onLanguageChange;
    Callback m_onConfigurationChange;
    ColorSchemeApplier m_colorSchemeApplier;

    // One thread, so keyring operations run in the order they were asked for.
    QThreadPool m_keyQueue;
    int m_pendingKeyOperations = 0;
};

#pragma once

#include "Result.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "CapturedShortcut.h"
#include "GlobalHotKeys.h"
#include "HotKeyRoute.h"
#include "NativeTrayIcon.h"

class AppColorScheme;
class NativeAppAppearance;
class VelloraCloudSettings;
class NativeUpdater;
class VelloraSettingsWindow;
class QAction;
class QMenu;
class QMenuBar;
class QSystemTrayIcon;
class QNetworkAccessManager;
class ScreenRegionCapture;
class SecretStore;
class TextEngine;
class UserDefaults;
class VelloraPreferences;
class VelloraToast;
class X11TrayColors;

// The application delegate: the one long-lived object of the tray application.
// It runs the capture session (select, recognise, optionally polish, copy) and
// keeps the status line; and, through main(), it dispatches the command-line modes.
class VelloraApp final : public QObject {
    Q_OBJECT

public:
    // The platform services the application runs on; constructed by main() (or a
    // test) and outliving the delegate.
    struct Services {
        TextEngine &textEngine;
        SecretStore &secretStore;
        UserDefaults &defaults;
        QNetworkAccessManager &network;
        // The system-wide hot keys; none where the display offers none.
        GlobalHotKeys *hotKeys;
        QString selectorPath;
        QStringList arguments;
    };

    // The tag of the application's one hot key: "VOCR" as four big-endian bytes, and its number.
    static constexpr quint32 HotKeySignature = (quint32('V') << 24) | (quint32('O') << 16) | (quint32('C') << 8) | 'R';
    static constexpr quint32 HotKeyIdentifier = 1;

    explicit VelloraApp(const Services &services, QObject *parent = nullptr);
    ~VelloraApp() override;

    // Runs the command-line mode that the arguments name, or the tray application.
    // Returns the process's exit status. Must be called on the main thread.
    static int main(int argc, char **argv);

    // The launch sequence, once the event loop is about to run: menus, warm-up,
    // callbacks, colour mode, hot key, visibility and the launch options.
    void applicationDidFinishLaunching();
    // Another start of the application while this one runs: the settings come forward.
    void applicationShouldHandleReopen();
    // The termination sequence: a pending cloud save is written, the hot key is released.
    void applicationWillTerminate();

    // The tray icon and its menu; the application menu.
    void installStatusMenu();
    void installApplicationMenu();
    // Translates every menu title into the current interface language.
    void localizeMenus();
    // A change of the interface language: Qt's own texts, then the menus.
    void applyLanguage();
    // Shows or hides the tray icon (and the settings window's task-bar entry).
    void applyVisibility();

    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    // The tray icon's drawing, chosen for the panel it sits on.
    std::optional<NativeTrayIcon::Variant> statusIconVariant() const { return m_statusIconVariant; }
    QMenu *statusMenu() const { return m_statusMenu.get(); }
    // The application menu: "Vellora", Edit and Window; the settings window shows it.
    QMenuBar *mainMenu() const { return m_mainMenu.get(); }

    // The status menu's commands.
    void openSettings();
    // A manual update check that reports its outcome, errors included.
    void checkUpdates();
    void openCaptureSettings();
    void quit();

    // The capture commands ("选区识字并复制", "选区识字并 AI 润色"), disabled while a session runs.
    QAction *captureAction() const { return m_captureAction; }
    QAction *polishAction() const { return m_polishAction; }
    // The status menu's status line and shortcut line.
    QAction *messageAction() const { return m_messageAction; }
    QAction *shortcutAction() const { return m_shortcutAction; }

    // Brings the hot-key registration in line with the shortcut preference. A
    // combination that is taken keeps the previous one working (written back to
    // the preference) and sets shortcutError.
    void installHotKey();
    // Releases the hot key at termination.
    void releaseHotKey();
    // Lets the combination go while the shortcut recorder listens, and takes the
    // (possibly new) shortcut again afterwards.
    void suspendHotKey();
    void resumeHotKey();
    // The shortcut the registered hot key stands for, if one is registered.
    std::optional<CapturedShortcut> activeShortcut() const { return m_activeShortcut; }
    // How the hot key reaches the application: chosen at start-up (KeyGrab by
    // default), and DesktopSettings once the desktop turns out to offer no
    // global shortcuts.
    HotKeyRoute hotKeyRoute() const { return m_hotKeyRoute; }
    void setHotKeyRoute(HotKeyRoute route);
    // The commands a desktop's own keyboard settings run to start a capture.
    static QStringList captureCommands();

    // Arguments handed over by a later start: `--capture` and `--capture-polish`
    // start a capture, anything else brings the settings forward.
    void handleArguments(const QStringList &arguments);

    // A plain capture: the hot key and the first command.
    void startCapture();
    // A capture whose text is polished by the AI service before it is copied.
    void startPolishedCapture();
    // Starts a session unless one runs; a polish request without a stored key
    // opens the settings at the AI tab instead.
    void beginCapture(bool polish);

    // Sets the status line from a localisation key (or a text already formatted
    // from one); it is translated each time it is shown.
    void showStatus(const QString &key);
    QString currentStatus() const { return m_currentStatus; }
    // The status line as shown now, in the current interface language.
    QString statusText() const;
    // The tray icon's tooltip: the status line, or why the hot key is missing.
    QString toolTip() const { return m_toolTip; }

    bool captureInProgress() const { return m_captureInProgress; }

    VelloraPreferences &preferences() const { return *m_preferences; }
    NativeAppAppearance &appearance() const { return *m_appearance; }
    // The cloud settings controller, created on first use and then kept.
    VelloraCloudSettings &cloud();
    // The updater, created on first use and then kept.
    NativeUpdater &updater();
    // The settings window's controller; exists once launching has finished.
    VelloraSettingsWindow *settingsWindow() const { return m_settingsWindow.get(); }
    VelloraToast &toast() const { return *m_toast; }
    ScreenRegionCapture &regionCapture() const { return *m_regionCapture; }

signals:
    // The settings window should come forward at this tab (1: AI polish), or at
    // its current tab for -1.
    void settingsRequested(int tab);
    // The tray icon's tooltip changed.
    void toolTipChanged(const QString &text);
    // The hot key's route changed (the desktop had no global shortcuts).
    void hotKeyRouteChanged(HotKeyRoute route);
    // The interface language was applied, at launch and after each change:
    // "zh-Hans", "zh-Hant" or "en", the preference resolved.
    void interfaceLanguageApplied(const QString &table);

private:
    void runSession();
    void setToolTip(const QString &text);
    // The status menu's "快捷键：…" line, for the shortcut in force.
    void updateShortcutLine();
    void updateStatusIcon();
    void onHotKeyPressed(GlobalHotKeys::HotKeyId id);
    void onHotKeyRegistrationFailed(GlobalHotKeys::Handle handle, const Error &error);
    // Registers the previous shortcut again after the desktop refused a new one.
    void restoreShortcut(const std::optional<CapturedShortcut> &previous);
    void onCaptured(const Result<std::optional<QImage>> &outcome);
    void finishRecognition(const Result<QString> &result);
    void polish(const QString &text);
    void finishRecognitionFailure(const QString &titleKey, const std::optional<QString> &detail);
    void finishCopied(const QString &text, bool polished);
    // Shows the copy's outcome and ends the session.
    void endCopy(const QString &text, bool polished, bool copied);
    void endSession();
    // The updater speaks the interface language, or follows the system with "system".
    void applyUpdaterLanguages();
    // Qt's own texts in the interface language, and interfaceLanguageApplied.
    void installInterfaceLanguage();
    // The interface language preference, read afresh for every text.
    QString language() const;
    QString translated(const QString &key) const;

    Services m_services;
    std::unique_ptr<VelloraPreferences> m_preferences;
    std::unique_ptr<NativeAppAppearance> m_appearance;
    std::unique_ptr<NativeUpdater> m_updater;
    std::unique_ptr<VelloraToast> m_toast;
    std::unique_ptr<ScreenRegionCapture> m_regionCapture;

    std::unique_ptr<VelloraCloudSettings> m_cloud;
    std::unique_ptr<AppColorScheme> m_colorScheme;
    std::unique_ptr<VelloraSettingsWindow> m_settingsWindow;
    QSystemTrayIcon *m_statusItem = nullptr;
    std::unique_ptr<X11TrayColors> m_trayColors;
    std::optional<NativeTrayIcon::Variant> m_statusIconVariant;
    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QMenuBar> m_mainMenu;
    QMenu *m_applicationMenu = nullptr;
    QAction *m_captureAction;
    QAction *m_polishAction;
    QAction *m_messageAction;
    QAction *m_shortcutAction;

    bool m_captureInProgress = false;
    bool m_polishAfterCapture = false;
    bool m_keyCheckPending = false;
    QString m_currentStatus;
    QString m_toolTip;

    std::optional<GlobalHotKeys::Handle> m_hotKey;
    std::optional<CapturedShortcut> m_activeShortcut;
    // The shortcut that was active before the registration the desktop has yet to answer.
    std::optional<CapturedShortcut> m_shortcutBeforeRegistration;
    HotKeyRoute m_hotKeyRoute = HotKeyRoute::KeyGrab;
    bool m_hotKeyHandlerInstalled = false;
    bool m_hotKeySuspended = false;
};

#pragma once

#include "HotKeyRoute.h"
#include "SettingsControls.h"

#include <QWidget>

class NativeAppAppearance;
class NativeAppearancePicker;
class NativeUpdater;
class QComboBox;
class QNetworkAccessManager;
class QPushButton;
class QTabWidget;
class QWindow;
class SecretStore;
class ShortcutRecorder;
class VelloraCloudSettings;
class VelloraAISettingsView;
class VelloraPreferences;
class VelloraSettingsWindow;

// The settings window's content: the General, AI polish, Appearance and Updates
// tabs, each a view of state owned elsewhere (the preferences, the appearance
// model, the cloud sync, the shortcut recorder, the updater). Texts follow the preferences' language as it changes;
// controls take the accent of the chosen palette. GUI thread only.
class SettingsView final : public QWidget {
    Q_OBJECT

public:
    SettingsView(VelloraSettingsWindow &controller, VelloraPreferences &preferences, NativeAppAppearance &appearance,
                 VelloraCloudSettings &cloud, NativeUpdater &updater, SecretStore &keyStore,
                 QNetworkAccessManager &network,
                 QWidget *parent = nullptr);
    ~SettingsView() override;

    ShortcutRecorder &shortcutRecorder() const { return *m_recorder; }
    VelloraAISettingsView &aiSettings() const { return *m_aiSettings; }
    QTabWidget &tabs() const { return *m_tabs; }
    // Screen capture permission as last read.
    bool hasPermission() const { return m_hasPermission; }

    // Says how the hot key reaches the application; where the desktop's own
    // settings must run the capture command, shows the command.
    void setHotKeyRoute(HotKeyRoute route);
    HotKeyRoute hotKeyRoute() const { return m_hotKeyRoute; }

    // The product site's FAQ, where the screen capture permission is explained.
    static QUrl permissionGuideURL();

protected:
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildGeneralTab();
    QWidget *buildAppearanceTab();
    void retranslate();
    void updatePermission();
    void updateShortcut();
    void updateCloudStatus();
    void updateAccent();
    void updateSymbols();
    void onFocusWindowChanged(QWindow *focus);

    VelloraSettingsWindow &m_controller;
    VelloraPreferences &m_preferences;
    NativeAppAppearance &m_appearance;
    VelloraCloudSettings &m_cloud;
    ShortcutRecorder *m_recorder;
    LocalizedTexts m_texts;
    // Whether this desktop asks the user before an application reads the screen.
    bool m_permissionRequired = false;
    bool m_hasPermission = false;
    bool m_applyingAccent = false;

    QTabWidget *m_tabs = nullptr;
    VelloraAISettingsView *m_aiSettings = nullptr;
    NativeAppearancePicker *m_picker = nullptr;
    QLabel *m_permissionSymbol = nullptr;
    QLabel *m_permissionText = nullptr;
    SettingsLink *m_guideLink = nullptr;
    SettingsSwitch *m_hideMenuBarIcon = nullptr;
    SettingsSwitch *m_hideDockIcon = nullptr;
    QComboBox *m_language = nullptr;
    SettingsSwitch *m_cloudSync = nullptr;
    SettingsCaption *m_cloudStatus = nullptr;
    QLabel *m_shortcutTitle = nullptr;
    QPushButton *m_recordShortcut = nullptr;
    SettingsCaption *m_recorderMessage = nullptr;
    SettingsCaption *m_shortcutError = nullptr;
    SettingsCaption *m_shortcutRoute = nullptr;
    QLabel *m_captureCommands = nullptr;
    HotKeyRoute m_hotKeyRoute = HotKeyRoute::KeyGrab;
    SegmentedControl *m_colorMode = nullptr;
};

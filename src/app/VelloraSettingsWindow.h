#pragma once

#include "HotKeyRoute.h"

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QPointer>
#include <QString>

#include <optional>

class NativeAppAppearance;
class NativeUpdater;
class QFont;
class QNetworkAccessManager;
class QMenuBar;
class QWidget;
class SecretStore;
class SettingsView;
class VelloraCloudSettings;
class ShortcutRecorder;
class VelloraPreferences;

// Owns the one settings window and the tab it shows. The window is created by
// the first show() and then kept for the life of the application: closing
// hides it, the next show() brings the same window back. GUI thread only.
class VelloraSettingsWindow final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)

public:
    // Tab tags.
    enum Tab { General = 0, AIPolish = 1, Appearance = 2, Updates = 3 };
    static constexpr int TabCount = 4;
    // The content's size with a 12-pixel interface font (9 points at 96 dpi):
    // tall enough for the General tab with the recorder's message, a refusal
    // and the cloud status, none of its captions squeezed.
    static constexpr int Width = 620;
    static constexpr int Height = 600;
    static constexpr int DesignFontPixels = 12;

    // The shared objects must outlive the controller. `keyStore` is the keyring
    // the preferences use (the AI pane's connection test reads the key from it);
    // `network` is the application's one session on the GUI thread.
    VelloraSettingsWindow(VelloraPreferences &preferences, NativeAppAppearance &appearance,
                          VelloraCloudSettings &cloud, NativeUpdater &updater, SecretStore &keyStore,
                          QNetworkAccessManager &network, int initialTab = General, QObject *parent = nullptr);
    ~VelloraSettingsWindow() override;

    int selectedTab() const { return m_selectedTab; }
    // Tags outside 0…TabCount-1 are ignored.
    void setSelectedTab(int tab);

    // Brings the window to the front, creating it on first use; with a tab, shows that tab.
    void show(std::optional<int> tab = std::nullopt);

    // The window once created, else nullptr.
    QWidget *window() const;
    SettingsView *view() const;

    // The application menu shown as the window's menu bar; set before the first show.
    void setMenuBar(QMenuBar *menuBar);
    // Whether the window has a task-bar entry (the "Dock icon" preference) or is a tool window.
    void setShowsInTaskbar(bool shows);
    bool showsInTaskbar() const { return m_showsInTaskbar; }

    // Where the window goes on a screen: the frame (the window manager's
    // margins around the content) centred on the available area and inside it.
    // Where the area is smaller than the window, the window is made as large as
    // the area allows and its tabs scroll. Returns the content's rectangle.
    static QRect placement(QSize content, QMargins frame, const QRect &available);
    // The content's size for an interface font: Width x Height, grown in
    // proportion where the desktop's font is larger than the one it was laid
    // out for (10 or 11 points, a higher font dpi), so the texts keep their room.
    static QSize contentSize(const QFont &font);

    // How the hot key reaches the application, shown in the shortcut section.
    void setHotKeyRoute(HotKeyRoute route);
    HotKeyRoute hotKeyRoute() const { return m_hotKeyRoute; }

    // Writes the window's content as a PNG image. False when there is no
    // window yet or the file cannot be written.
    bool writeScreenshot(const QString &path) const;

signals:
    void selectedTabChanged(int tab);
    // The shortcut recorder started (true) or stopped (false): the owner of the
    // global hot key releases it meanwhile, since the X server would otherwise
    // take that combination away from the recorder.
    void shortcutRecordingChanged(bool recording);

private:
    void createWindow();
    // Puts the window on its screen's available area (centred when asked, or
    // when it no longer fits where it is).
    void placeOnScreen(bool centre);
    // Grows the window by what its General tab would otherwise scroll.
    void fitGeneralTab();
    // Sees the General tab's content grow past the window (a text set later).
    bool eventFilter(QObject *watched, QEvent *event) override;
    Qt::WindowFlags windowFlags() const;

    VelloraPreferences &m_preferences;
    NativeAppAppearance &m_appearance;
    VelloraCloudSettings &m_cloud;
    NativeUpdater &m_updater;
    SecretStore &m_keyStore;
    QNetworkAccessManager &m_network;
    int m_selectedTab;
    QPointer<QWidget> m_window;
    QPointer<SettingsView> m_view;
    QPointer<QMenuBar> m_menuBar;
    bool m_showsInTaskbar = false;
    // Height added for the General tab beyond the design's.
    int m_generalTabExtra = 0;
    HotKeyRoute m_hotKeyRoute = HotKeyRoute::KeyGrab;
};

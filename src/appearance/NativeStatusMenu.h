#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <optional>

#include <QMenu>
#include <QSystemTrayIcon>

// Shows a QMenu in the popup menu (NativeMenu) when the tray icon is clicked,
// with the left or the right button: under the icon where the tray reports its
// geometry, at the pointer where it does not (a StatusNotifierItem panel's
// click reaches Qt without its position; the pointer is where the click was).
// A click while the menu is open closes it, and a click right after a
// dismissal does not reopen it.
//
// Where no window of the application can be placed next to the icon (Wayland
// places windows itself, so the popup would open wherever the compositor puts
// a new window), the menu goes to the panel with the icon instead
// (com.canonical.dbusmenu), and the panel shows it under the icon on a right
// click; a left click then runs the menu's default action, when it has one.
class NativeStatusMenu final : public QObject {
    Q_OBJECT

public:
    // Binds menu to the tray icon (replacing an earlier binding), removes the
    // icon's own context menu and restyles ordinary menus (NativeMenuStyle).
    static NativeStatusMenu *attach(QSystemTrayIcon *trayIcon, QMenu *menu);
    // Removes the binding and closes the popup menu.
    static void detach(QSystemTrayIcon *trayIcon);
    // The menu bound to the tray icon, or null.
    static QMenu *menu(QSystemTrayIcon *trayIcon);

    // What a click on the icon does: close the open menu, or open it unless it
    // closed less than the reopen guard ago.
    void toggle();
    // 0.2 s by default: the click that dismisses the popup outside it reaches the icon too.
    void setReopenGuard(std::chrono::milliseconds guard) { m_reopenGuard = guard; }
    QMenu *menu() const { return m_menu; }

    // Whether this session's panel shows the menu itself: true on Wayland.
    static bool panelShowsMenuByDefault();
    // Hands the menu to the panel, or takes it back; attach chooses by the session.
    void setPanelShowsMenu(bool panelShowsMenu);
    bool panelShowsMenu() const { return m_panelShowsMenu; }

    ~NativeStatusMenu() override;

private:
    NativeStatusMenu(QSystemTrayIcon *trayIcon, QMenu *menu);
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QPointer<QSystemTrayIcon> m_trayIcon;
    QPointer<QMenu> m_menu;
    std::optional<std::chrono::steady_clock::time_point> m_lastClosedAt;
    std::chrono::milliseconds m_reopenGuard{200};
    bool m_panelShowsMenu = false;
};

#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <optional>

#include <QMenu>
#include <QSystemTrayIcon>

// Shows a QMenu in the popup menu (NativeMenu) when the tray icon is clicked,
// with the left or the right button: under the icon where the tray reports its
// geometry, at the pointer where it does not. A click while the menu is open
// closes it, and a click right after a dismissal does not reopen it.
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

    ~NativeStatusMenu() override;

private:
    NativeStatusMenu(QSystemTrayIcon *trayIcon, QMenu *menu);

    QPointer<QSystemTrayIcon> m_trayIcon;
    QPointer<QMenu> m_menu;
    std::optional<std::chrono::steady_clock::time_point> m_lastClosedAt;
    std::chrono::milliseconds m_reopenGuard{200};
};

#include "NativeStatusMenu.h"

#include "NativeMenu.h"
#include "NativeMenuStyle.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QHash>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

// The bindings keep the status menus alive; each goes with its tray icon.
QHash<QSystemTrayIcon *, NativeStatusMenu *> &bindings() {
    static QHash<QSystemTrayIcon *, NativeStatusMenu *> map;
    return map;
}

} // namespace

NativeStatusMenu *NativeStatusMenu::attach(QSystemTrayIcon *trayIcon, QMenu *menu) {
    if (!trayIcon)
        return nullptr;
    NativeMenuStyle::install();
    delete bindings().take(trayIcon);
    auto *statusMenu = new NativeStatusMenu(trayIcon, menu);
    bindings().insert(trayIcon, statusMenu);
    statusMenu->setPanelShowsMenu(panelShowsMenuByDefault());
    return statusMenu;
}

void NativeStatusMenu::detach(QSystemTrayIcon *trayIcon) {
    delete bindings().take(trayIcon);
    NativeMenu::shared().close();
}

QMenu *NativeStatusMenu::menu(QSystemTrayIcon *trayIcon) {
    const NativeStatusMenu *statusMenu = bindings().value(trayIcon);
    return statusMenu ? statusMenu->menu() : nullptr;
}

NativeStatusMenu::NativeStatusMenu(QSystemTrayIcon *trayIcon, QMenu *menu)
    : QObject(trayIcon)
    , m_trayIcon(trayIcon)
    , m_menu(menu) {
    connect(trayIcon, &QSystemTrayIcon::activated, this, &NativeStatusMenu::onActivated);
}

bool NativeStatusMenu::panelShowsMenuByDefault() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void NativeStatusMenu::setPanelShowsMenu(bool panelShowsMenu) {
    m_panelShowsMenu = panelShowsMenu;
    // An XEmbed tray would pop the context menu up itself on a right click:
    // it is handed over only where the panel is to show it.
    if (m_trayIcon)
        m_trayIcon->setContextMenu(panelShowsMenu ? m_menu.data() : nullptr);
}

void NativeStatusMenu::onActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && m_panelShowsMenu && m_menu) {
        QAction *action = m_menu->defaultAction();
        if (action && action->isEnabled() && action->isVisible()) {
            action->trigger();
            return;
        }
    }
    // A panel that asks for the menu although it has it (ContextMenu) still gets one.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
        toggle();
}

NativeStatusMenu::~NativeStatusMenu() {
    for (auto it = bindings().begin(); it != bindings().end(); ++it) {
        if (it.value() == this) {
            bindings().erase(it);
            break;
        }
    }
}

void NativeStatusMenu::toggle() {
    if (!m_trayIcon || !m_menu)
        return;
    NativeMenu &popup = NativeMenu::shared();
    if (popup.isShowing(m_menu)) {
        popup.close();
        return;
    }
    if (m_lastClosedAt && std::chrono::steady_clock::now() - *m_lastClosedAt < m_reopenGuard)
        return;
    const QRect geometry = m_trayIcon->geometry();
    const QRect anchor = geometry.isValid() && !geometry.isEmpty() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
    QPointer<NativeStatusMenu> self(this);
    popup.show(m_menu, anchor, nullptr, [self] {
        if (self)
            self->m_lastClosedAt = std::chrono::steady_clock::now();
    });
}

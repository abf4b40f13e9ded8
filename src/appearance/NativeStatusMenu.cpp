#include "NativeStatusMenu.h"

#include "NativeMenu.h"
#include "NativeMenuStyle.h"

#include <QCursor>
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
    trayIcon->setContextMenu(nullptr);
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
    connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
            toggle();
    });
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

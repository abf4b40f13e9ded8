#include "NativeWindowMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

const QString WindowsMenuName = QStringLiteral("NativeWindowMenu");

} // namespace

QAction *NativeWindowMenu::install(QMenuBar *menuBar, const NativeMenuTranslate &translate) {
    if (!menuBar)
        return nullptr;
    const auto text = [&translate](const QString &key) {
        return translate ? translate(key) : key;
    };
    auto *menu = new QMenu(text(QStringLiteral("窗口")), menuBar);
    menu->setObjectName(WindowsMenuName);
    menuBar->addMenu(menu);
    QAction *close = menu->addAction(text(QStringLiteral("关闭窗口")));
    close->setObjectName(QStringLiteral("NativeWindowMenuClose"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    QPointer<QMenuBar> bar(menuBar);
    QObject::connect(close, &QAction::triggered, menuBar, [bar] {
        if (bar && bar->window())
            bar->window()->close();
    });
    return close;
}

QMenu *NativeWindowMenu::windowsMenu(const QMenuBar *menuBar) {
    return menuBar ? menuBar->findChild<QMenu *>(WindowsMenuName, Qt::FindDirectChildrenOnly) : nullptr;
}

#pragma once

#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;

// Maps a Simplified-Chinese menu title to the one shown.
using NativeMenuTranslate = std::function<QString(const QString &)>;

// The standard Window menu of a window's menu bar: "关闭窗口" (Ctrl+W) closes
// the menu bar's window.
class NativeWindowMenu final {
public:
    // Adds the "窗口" menu to menuBar and returns its "关闭窗口" item. Without
    // translate the titles stay as they are.
    static QAction *install(QMenuBar *menuBar, const NativeMenuTranslate &translate = {});
    // The Window menu install added to menuBar, or null.
    static QMenu *windowsMenu(const QMenuBar *menuBar);
};

#pragma once

#include "NativeWindowMenu.h"

class QMenu;
class QMenuBar;
class QWidget;

// The standard Edit menu of a window's menu bar: undo, redo, cut, copy, paste
// and select all, each acting on the focused text field (QLineEdit, QTextEdit,
// QPlainTextEdit, an editable combo or spin box). While the menu is open its
// items are enabled only where the field can do what they say.
class NativeEditingMenu final {
public:
    // Adds the "编辑" menu to menuBar and returns it. Without translate the
    // titles stay as they are.
    static QMenu *install(QMenuBar *menuBar, const NativeMenuTranslate &translate = {});
    // The Edit menu install added to menuBar, or null.
    static QMenu *editingMenu(const QMenuBar *menuBar);
    // Titles the menu and its items again from their Simplified-Chinese keys,
    // as for a change of the interface language.
    static void localize(QMenu *menu, const NativeMenuTranslate &translate);

    // The editing commands by name ("undo", "redo", "cut", "copy", "paste", "selectAll").
    static bool canPerform(const QString &command, QWidget *target);
    static bool perform(const QString &command, QWidget *target);
    // The widget a command goes to for the focused widget (an editable combo's
    // line edit, say); null when it takes no editing commands.
    static QWidget *editingTarget(QWidget *focusWidget);

    // Built-in English and Traditional-Chinese titles of the standard menus
    // ("编辑", "撤销" …, "窗口", "关闭窗口") for a language setting; other keys pass unchanged.
    static NativeMenuTranslate builtInTranslation(const QString &languageSetting);
};

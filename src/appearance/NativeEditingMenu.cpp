#include "NativeEditingMenu.h"

#include "NativeAccentPalette.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

namespace {

struct Command {
    const char16_t *title;
    const char *name;
    QKeyCombination shortcut;
};

const Command Commands[] = {
    {u"撤销", "undo", Qt::CTRL | Qt::Key_Z},  {u"重做", "redo", Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
    {u"剪切", "cut", Qt::CTRL | Qt::Key_X},   {u"复制", "copy", Qt::CTRL | Qt::Key_C},
    {u"粘贴", "paste", Qt::CTRL | Qt::Key_V}, {u"全选", "selectAll", Qt::CTRL | Qt::Key_A},
};

struct Title {
    const char16_t *key;
    const char16_t *english;
    const char16_t *traditional;
};

const Title Titles[] = {
    {u"编辑", u"Edit", u"編輯"},       {u"撤销", u"Undo", u"還原"},   {u"重做", u"Redo", u"重做"},
    {u"剪切", u"Cut", u"剪下"},        {u"复制", u"Copy", u"複製"},   {u"粘贴", u"Paste", u"貼上"},
    {u"全选", u"Select All", u"全選"}, {u"窗口", u"Window", u"視窗"}, {u"关闭窗口", u"Close Window", u"關閉視窗"},
};

const QString MenuName = QStringLiteral("NativeEditingMenu");
const QString MenuTitle = QStringLiteral("编辑");
// Each item keeps its title key, so the menu can be titled again in another language.
constexpr char TitleKeyProperty[] = "nativeMenuTitleKey";

bool hasSlot(const QObject *target, const QString &command) {
    const QByteArray signature = command.toLatin1() + "()";
    return target->metaObject()->indexOfMethod(signature.constData()) >= 0;
}

template <typename TextEdit> bool textEditCan(const TextEdit *edit, const QString &command) {
    const bool writable = !edit->isReadOnly();
    const bool selection = edit->textCursor().hasSelection();
    if (command == QLatin1String("undo"))
        return writable && edit->document()->isUndoAvailable();
    if (command == QLatin1String("redo"))
        return writable && edit->document()->isRedoAvailable();
    if (command == QLatin1String("cut"))
        return writable && selection;
    if (command == QLatin1String("copy"))
        return selection;
    if (command == QLatin1String("paste"))
        return writable && edit->canPaste();
    if (command == QLatin1String("selectAll"))
        return !edit->document()->isEmpty();
    return false;
}

bool lineEditCan(const QLineEdit *edit, const QString &command) {
    const bool writable = !edit->isReadOnly();
    // A password field never gives its text away.
    const bool selection = edit->hasSelectedText() && edit->echoMode() == QLineEdit::Normal;
    if (command == QLatin1String("undo"))
        return writable && edit->isUndoAvailable();
    if (command == QLatin1String("redo"))
        return writable && edit->isRedoAvailable();
    if (command == QLatin1String("cut"))
        return writable && selection;
    if (command == QLatin1String("copy"))
        return selection;
    if (command == QLatin1String("paste"))
        return writable;
    if (command == QLatin1String("selectAll"))
        return !edit->text().isEmpty();
    return false;
}

} // namespace

QWidget *NativeEditingMenu::editingTarget(QWidget *focusWidget) {
    if (!focusWidget)
        return nullptr;
    if (qobject_cast<QLineEdit *>(focusWidget) || qobject_cast<QTextEdit *>(focusWidget) ||
        qobject_cast<QPlainTextEdit *>(focusWidget))
        return focusWidget;
    if (auto *combo = qobject_cast<QComboBox *>(focusWidget))
        return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox *>(focusWidget))
        return focusWidget->findChild<QLineEdit *>();
    // A text viewport's focus proxy or another widget with the editing slots.
    return hasSlot(focusWidget, QStringLiteral("copy")) && hasSlot(focusWidget, QStringLiteral("selectAll"))
               ? focusWidget
               : nullptr;
}

bool NativeEditingMenu::canPerform(const QString &command, QWidget *target) {
    if (!target)
        return false;
    if (const auto *lineEdit = qobject_cast<const QLineEdit *>(target))
        return lineEditCan(lineEdit, command);
    if (const auto *textEdit = qobject_cast<const QTextEdit *>(target))
        return textEditCan(textEdit, command);
    if (const auto *plainTextEdit = qobject_cast<const QPlainTextEdit *>(target))
        return textEditCan(plainTextEdit, command);
    return hasSlot(target, command);
}

bool NativeEditingMenu::perform(const QString &command, QWidget *target) {
    if (!canPerform(command, target))
        return false;
    return QMetaObject::invokeMethod(target, command.toLatin1().constData());
}

QMenu *NativeEditingMenu::install(QMenuBar *menuBar, const NativeMenuTranslate &translate) {
    if (!menuBar)
        return nullptr;
    auto *menu = new QMenu(menuBar);
    menu->setObjectName(MenuName);
    menuBar->addMenu(menu);
    for (const Command &command : Commands) {
        QAction *action = menu->addAction(QString());
        action->setProperty(TitleKeyProperty, QString::fromUtf16(command.title));
        const QString name = QString::fromLatin1(command.name);
        action->setObjectName(QStringLiteral("NativeEditingMenu.") + name);
        action->setShortcut(QKeySequence(command.shortcut));
        QObject::connect(action, &QAction::triggered, menu,
                         [name] { perform(name, editingTarget(QApplication::focusWidget())); });
    }
    // Items are enabled for what the focused field can do while the menu is
    // open, and all enabled otherwise, so that their shortcuts keep working.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        QWidget *target = editingTarget(QApplication::focusWidget());
        for (QAction *action : menu->actions()) {
            const QString name = action->objectName().section(QLatin1Char('.'), 1);
            action->setEnabled(canPerform(name, target));
        }
    });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] {
        for (QAction *action : menu->actions())
            action->setEnabled(true);
    });
    localize(menu, translate);
    return menu;
}

QMenu *NativeEditingMenu::editingMenu(const QMenuBar *menuBar) {
    return menuBar ? menuBar->findChild<QMenu *>(MenuName, Qt::FindDirectChildrenOnly) : nullptr;
}

void NativeEditingMenu::localize(QMenu *menu, const NativeMenuTranslate &translate) {
    if (!menu)
        return;
    const auto text = [&translate](const QString &key) {
        return translate ? translate(key) : key;
    };
    menu->setTitle(text(MenuTitle));
    for (QAction *action : menu->actions()) {
        const QString key = action->property(TitleKeyProperty).toString();
        if (!key.isEmpty())
            action->setText(text(key));
    }
}

NativeMenuTranslate NativeEditingMenu::builtInTranslation(const QString &languageSetting) {
    const NativeAppearanceLanguage language = nativeAppearanceLanguage(languageSetting);
    return [language](const QString &key) {
        if (language == NativeAppearanceLanguage::SimplifiedChinese)
            return key;
        for (const Title &title : Titles) {
            if (key == QStringView(title.key))
                return QString::fromUtf16(language == NativeAppearanceLanguage::English ? title.english
                                                                                        : title.traditional);
        }
        return key;
    };
}

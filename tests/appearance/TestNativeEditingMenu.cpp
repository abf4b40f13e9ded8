#include "NativeEditingMenu.h"
#include "NativeWindowMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

QAction *command(QMenu *menu, const QString &name) {
    return menu->findChild<QAction *>(QStringLiteral("NativeEditingMenu.") + name);
}

// A window with a menu bar and two text fields, the first focused.
struct Window {
    QWidget window;
    QMenuBar *bar = new QMenuBar(&window);
    QLineEdit *field = new QLineEdit(QStringLiteral("识别结果"));
    QLineEdit *other = new QLineEdit;
    QMenu *edit = nullptr;

    Window() {
        auto *layout = new QVBoxLayout(&window);
        layout->setMenuBar(bar);
        layout->addWidget(field);
        layout->addWidget(other);
        edit = NativeEditingMenu::install(bar);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
};

} // namespace

class TestNativeEditingMenu final : public QObject {
    Q_OBJECT

private slots:
    void editMenuItems() {
        QMenuBar bar;
        QMenu *edit = NativeEditingMenu::install(&bar);
        QCOMPARE(bar.actions().size(), 1);
        QCOMPARE(bar.actions().first()->menu(), edit);
        QCOMPARE(edit->title(), "编辑");
        QStringList titles;
        QStringList shortcuts;
        for (const QAction *action : edit->actions()) {
            titles << action->text();
            shortcuts << action->shortcut().toString(QKeySequence::PortableText);
        }
        QCOMPARE(titles, (QStringList{"撤销", "重做", "剪切", "复制", "粘贴", "全选"}));
        QCOMPARE(shortcuts, (QStringList{"Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+A"}));
    }

    void windowMenuItems() {
        QWidget window;
        auto *bar = new QMenuBar(&window);
        QAction *close = NativeWindowMenu::install(bar, [](const QString &key) { return key + "!"; });
        QMenu *menu = NativeWindowMenu::windowsMenu(bar);
        QVERIFY(menu);
        QCOMPARE(menu->title(), "窗口!");
        QCOMPARE(menu->actions(), QList<QAction *>{close});
        QCOMPARE(close->text(), "关闭窗口!");
        QCOMPARE(close->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
        window.show();
        QVERIFY(window.isVisible());
        close->trigger();
        QVERIFY(!window.isVisible());
    }

    void commandsActOnTheFocusedField() {
        Window w;
        QCOMPARE(QApplication::focusWidget(), w.field);
        command(w.edit, "selectAll")->trigger();
        QCOMPARE(w.field->selectedText(), "识别结果");
        command(w.edit, "copy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "识别结果");
        command(w.edit, "cut")->trigger();
        QCOMPARE(w.field->text(), "");
        command(w.edit, "undo")->trigger();
        QCOMPARE(w.field->text(), "识别结果");
        command(w.edit, "redo")->trigger();
        QCOMPARE(w.field->text(), "");
        w.other->setFocus();
        command(w.edit, "paste")->trigger();
        QCOMPARE(w.other->text(), "识别结果");
    }

    void itemsShowWhatTheFieldCanDo_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("password");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("empty") << "" << false << false << false << QStringList{"paste"};
        QTest::newRow("text") << "abc" << false << false << false << QStringList{"paste", "selectAll"};
        QTest::newRow("selection") << "abc" << true << false << false
                                   << QStringList{"cut", "copy", "paste", "selectAll"};
        QTest::newRow("read-only selection") << "abc" << true << true << false << QStringList{"copy", "selectAll"};
        QTest::newRow("password selection") << "abc" << true << false << true << QStringList{"paste", "selectAll"};
    }

    void itemsShowWhatTheFieldCanDo() {
        QFETCH(QString, text);
        QFETCH(bool, selected);
        QFETCH(bool, readOnly);
        QFETCH(bool, password);
        QFETCH(QStringList, enabled);
        Window w;
        w.field->setText(text);
        if (selected)
            w.field->selectAll();
        w.field->setReadOnly(readOnly);
        w.field->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
        emit w.edit->aboutToShow();
        QStringList actual;
        for (const QAction *action : w.edit->actions()) {
            if (action->isEnabled())
                actual << action->objectName().section('.', 1);
        }
        QCOMPARE(actual, enabled);
        // Closed, every item is enabled again so that its shortcut keeps working.
        emit w.edit->aboutToHide();
        for (const QAction *action : w.edit->actions())
            QVERIFY(action->isEnabled());
    }

    void aPasswordNeverReachesTheClipboard() {
        Window w;
        QApplication::clipboard()->setText("before");
        w.field->setEchoMode(QLineEdit::Password);
        w.field->selectAll();
        command(w.edit, "copy")->trigger();
        command(w.edit, "cut")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "before");
        QCOMPARE(w.field->text(), "识别结果");
    }

    void editingTargets() {
        QComboBox editable;
        editable.setEditable(true);
        QCOMPARE(NativeEditingMenu::editingTarget(&editable), editable.lineEdit());
        QComboBox fixed;
        QCOMPARE(NativeEditingMenu::editingTarget(&fixed), nullptr);
        QPlainTextEdit plain;
        QCOMPARE(NativeEditingMenu::editingTarget(&plain), &plain);
        QWidget nothing;
        QCOMPARE(NativeEditingMenu::editingTarget(&nothing), nullptr);
        QCOMPARE(NativeEditingMenu::editingTarget(nullptr), nullptr);
        QVERIFY(!NativeEditingMenu::perform("copy", nullptr));
    }

    void builtInTitles_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("titles");
        const QStringList keys{"编辑", "重做", "全选", "窗口", "关闭窗口", "别的"};
        QTest::newRow("zh-Hans") << "zh-Hans" << keys;
        QTest::newRow("en") << "en" << QStringList{"Edit", "Redo", "Select All", "Window", "Close Window", "别的"};
        QTest::newRow("zh-Hant") << "zh-Hant" << QStringList{"編輯", "重做", "全選", "視窗", "關閉視窗", "别的"};
    }

    void builtInTitles() {
        QFETCH(QString, language);
        QFETCH(QStringList, titles);
        const NativeMenuTranslate translate = NativeEditingMenu::builtInTranslation(language);
        QStringList actual;
        for (const QString key : {"编辑", "重做", "全选", "窗口", "关闭窗口", "别的"})
            actual << translate(key);
        QCOMPARE(actual, titles);
    }
};

QTEST_MAIN(TestNativeEditingMenu)
#include "TestNativeEditingMenu.moc"

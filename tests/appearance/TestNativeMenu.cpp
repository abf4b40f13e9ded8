#include "NativeMenu.h"
#include "NativeMenuContentView.h"
#include "NativeMenuRow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

// A status-like menu: enabled and disabled rows, a checked row, a separator,
// a hidden item and a submenu whose second item is disabled.
struct MenuFixture {
    QMenu root{QStringLiteral("Vellora")};
    QMenu more{QStringLiteral("更多")};
    QAction *copy;
    QAction *disabled;
    QAction *checked;
    QAction *hidden;
    QAction *submenu;
    QAction *first;
    QAction *second;

    MenuFixture() {
        copy = root.addAction(QStringLiteral("选区识字并复制"));
        copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
        disabled = root.addAction(QStringLiteral("就绪"));
        disabled->setEnabled(false);
        root.addSeparator();
        checked = root.addAction(QStringLiteral("开机启动"));
        checked->setCheckable(true);
        checked->setChecked(true);
        hidden = root.addAction(QStringLiteral("隐藏项"));
        hidden->setVisible(false);
        first = more.addAction(QStringLiteral("子项一"));
        second = more.addAction(QStringLiteral("子项二"));
        second->setEnabled(false);
        submenu = root.addMenu(&more);
    }
};

NativeMenuContentView *content() {
    return NativeMenu::shared().contentView();
}

QStringList rowTitles() {
    QStringList titles;
    for (const NativeMenuRow *row : content()->rows())
        titles << row->item()->text();
    return titles;
}

QString focusedTitle() {
    const int index = content()->focused();
    return index < 0 ? QString() : content()->rows().at(index)->item()->text();
}

void press(const QList<Qt::Key> &keys) {
    for (const Qt::Key key : keys)
        QTest::keyClick(content(), key);
}

// The colour a row draws at a point, on a transparent canvas.
QColor pixelOfRow(const NativeMenuRowContent &rowContent, bool highlighted, QPoint point) {
    QImage image(224, 34, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    NativeMenuRow::paint(painter, QRectF(0, 0, 224, 34), rowContent, QApplication::palette(), QApplication::font(),
                         highlighted, false);
    painter.end();
    return image.pixelColor(point);
}

} // namespace

class TestNativeMenu final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { NativeMenu::shared().close(); }

    void rowsFollowTheMenu() {
        MenuFixture menu;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        QVERIFY(NativeMenu::shared().isShowing(&menu.root));
        QCOMPARE(rowTitles(), (QStringList{"选区识字并复制", "就绪", "开机启动", "更多"}));
        QCOMPARE(content()->focused(), -1);
        // Four rows and a separator between 8-pixel margins; the hidden item takes nothing.
        QCOMPARE(content()->size(), QSize(240, 8 + 4 * 34 + 12 + 8));
        QCOMPARE(content()->rows().at(2)->geometry(), QRect(8, 8 + 2 * 34 + 12, 224, 34));
        QCOMPARE(NativeMenu::shared().popupWindow()->size(), content()->size());
    }

    void widthFollowsTheLongestTitle() {
        QMenu menu;
        QAction *longTitle = menu.addAction(QString(200, QChar(u'字')));
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        QCOMPARE(content()->width(), 420);
        QCOMPARE(content()->rows().first()->width(), 404);
        longTitle->setText(QStringLiteral("短"));
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        QCOMPARE(content()->width(), 240);
    }

    void aShortcutWidensTheMenuInsteadOfCuttingTheTitle() {
        QMenu menu;
        const QString title = QStringLiteral("打开屏幕录制权限设置…");
        menu.addAction(title)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_R));
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        const NativeMenuRow *row = content()->rows().first();
        const int titleWidth = QFontMetrics(NativeMenuRow::titleFont(row->font())).horizontalAdvance(title);
        const int shortcutWidth =
            QFontMetrics(NativeMenuRow::shortcutFont(row->font()))
                .horizontalAdvance(menu.actions().first()->shortcut().toString(QKeySequence::NativeText));
        // The title's room: the row less the icon column and the shortcut's reserve.
        QVERIFY2(row->width() - 32 - (shortcutWidth + 22) >= titleWidth, qPrintable(QString::number(row->width())));
    }

    void keyboardFocus_data() {
        QTest::addColumn<QList<Qt::Key>>("keys");
        QTest::addColumn<QString>("focused");
        QTest::newRow("Down with nothing focused: first enabled") << QList<Qt::Key>{Qt::Key_Down} << "选区识字并复制";
        QTest::newRow("Up with nothing focused: last enabled") << QList<Qt::Key>{Qt::Key_Up} << "更多";
        QTest::newRow("Down skips the disabled row") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Down} << "开机启动";
        QTest::newRow("Down from the last wraps to the first")
            << QList<Qt::Key>{Qt::Key_Up, Qt::Key_Down} << "选区识字并复制";
        QTest::newRow("Up from the first wraps to the last") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Up} << "更多";
        QTest::newRow("other keys change nothing")
            << QList<Qt::Key>{Qt::Key_Down, Qt::Key_A, Qt::Key_Tab} << "选区识字并复制";
    }

    void keyboardFocus() {
        QFETCH(QList<Qt::Key>, keys);
        QFETCH(QString, focused);
        MenuFixture menu;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        press(keys);
        QCOMPARE(focusedTitle(), focused);
        int highlighted = 0;
        for (const NativeMenuRow *row : content()->rows())
            highlighted += row->menuHighlighted() ? 1 : 0;
        QCOMPARE(highlighted, 1);
    }

    void triggeringKeys_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("Return") << Qt::Key_Return;
        QTest::newRow("Enter") << Qt::Key_Enter;
        QTest::newRow("Space") << Qt::Key_Space;
    }

    void triggeringKeys() {
        QFETCH(Qt::Key, key);
        MenuFixture menu;
        QSignalSpy triggered(menu.copy, &QAction::triggered);
        QSignalSpy menuTriggered(&menu.root, &QMenu::triggered);
        int dismissals = 0;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24), nullptr, [&dismissals] { ++dismissals; });
        press({Qt::Key_Down, key});
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(menuTriggered.count(), 1);
        QCOMPARE(menuTriggered.first().first().value<QAction *>(), menu.copy);
        QVERIFY(!NativeMenu::shared().isShowing(&menu.root));
        QVERIFY(!NativeMenu::shared().popupWindow());
        // A choice is not a dismissal.
        QCOMPARE(dismissals, 0);
    }

    // The popup holds the keyboard: the shortcuts its rows show act from it, at
    // any level, and only for items that can act.
    void shortcutsPressedIntoThePopup_data() {
        QTest::addColumn<QKeyCombination>("keys");
        QTest::addColumn<bool>("inSubmenu");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Ctrl+Q") << QKeyCombination(Qt::CTRL | Qt::Key_Q) << false << "退出 Vellora";
        QTest::newRow("Ctrl+,") << QKeyCombination(Qt::CTRL | Qt::Key_Comma) << false << "设置…";
        QTest::newRow("Ctrl+Q from a submenu") << QKeyCombination(Qt::CTRL | Qt::Key_Q) << true << "退出 Vellora";
        QTest::newRow("an item of a submenu") << QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_N) << false << "子项一";
        QTest::newRow("Q without Ctrl") << QKeyCombination(Qt::Key_Q) << false << "";
        QTest::newRow("a disabled item's shortcut") << QKeyCombination(Qt::CTRL | Qt::Key_D) << false << "";
        QTest::newRow("a hidden item's shortcut") << QKeyCombination(Qt::CTRL | Qt::Key_H) << false << "";
        QTest::newRow("nobody's shortcut") << QKeyCombination(Qt::CTRL | Qt::Key_W) << false << "";
    }

    void shortcutsPressedIntoThePopup() {
        QFETCH(QKeyCombination, keys);
        QFETCH(bool, inSubmenu);
        QFETCH(QString, chosen);
        MenuFixture menu;
        menu.root.addSeparator();
        QAction *settings = menu.root.addAction(QStringLiteral("设置…"));
        settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
        QAction *quit = menu.root.addAction(QStringLiteral("退出 Vellora"));
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        menu.first->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
        menu.disabled->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
        menu.hidden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
        QStringList triggered;
        for (QAction *action : menu.root.actions() + menu.more.actions())
            connect(action, &QAction::triggered, this, [&triggered, action] { triggered << action->text(); });
        int dismissals = 0;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24), nullptr, [&dismissals] { ++dismissals; });
        if (inSubmenu) {
            QTest::mouseClick(content()->rows().at(3), Qt::LeftButton);
            QCOMPARE(NativeMenu::shared().menuStack().size(), 2);
        }

        QTest::keyClick(content(), keys.key(), keys.keyboardModifiers());
        if (chosen.isEmpty()) {
            QCOMPARE(triggered, QStringList());
            QVERIFY(NativeMenu::shared().isShowing(&menu.root));
        } else {
            QCOMPARE(triggered, QStringList{chosen});
            QVERIFY(!NativeMenu::shared().popupWindow());
            QCOMPARE(dismissals, 0);
        }
    }

    void theActionRunsAfterThePopupClosed() {
        MenuFixture menu;
        bool wasOpen = true;
        connect(menu.checked, &QAction::triggered, this, [&wasOpen] { wasOpen = NativeMenu::shared().popupWindow(); });
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        QTest::mouseClick(content()->rows().at(2), Qt::LeftButton);
        QVERIFY(!wasOpen);
        // Triggering a checkable item toggles it, as a QMenu does.
        QVERIFY(!menu.checked->isChecked());
    }

    void escapeDismisses() {
        MenuFixture menu;
        int dismissals = 0;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24), nullptr, [&dismissals] { ++dismissals; });
        press({Qt::Key_Down, Qt::Key_Escape});
        QVERIFY(!NativeMenu::shared().isShowing(&menu.root));
        QCOMPARE(dismissals, 1);
        NativeMenu::shared().close();
        QCOMPARE(dismissals, 1);
    }

    void disabledRowsTakeNoAction() {
        MenuFixture menu;
        QSignalSpy triggered(menu.disabled, &QAction::triggered);
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        NativeMenuRow *row = content()->rows().at(1);
        content()->focus(1);
        QCOMPARE(content()->focused(), -1);
        QTest::mouseClick(row, Qt::LeftButton);
        QCOMPARE(triggered.count(), 0);
        QVERIFY(NativeMenu::shared().isShowing(&menu.root));
    }

    void withEveryRowDisabledOnlyEscapeActs() {
        QMenu menu;
        QAction *only = menu.addAction(QStringLiteral("就绪"));
        only->setEnabled(false);
        QSignalSpy triggered(only, &QAction::triggered);
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        press({Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Space, Qt::Key_Left, Qt::Key_Right});
        QCOMPARE(content()->focused(), -1);
        QCOMPARE(triggered.count(), 0);
        QVERIFY(NativeMenu::shared().isShowing(&menu));
        press({Qt::Key_Escape});
        QVERIFY(!NativeMenu::shared().isShowing(&menu));
    }

    void submenuReplacesTheContentWithABackRow() {
        MenuFixture menu;
        QSignalSpy submenuShown(&menu.more, &QMenu::aboutToShow);
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        QWidget *popup = NativeMenu::shared().popupWindow();
        // Right on an ordinary row does nothing.
        press({Qt::Key_Down, Qt::Key_Right});
        QCOMPARE(NativeMenu::shared().menuStack().size(), 1);
        press({Qt::Key_Up, Qt::Key_Right});
        QCOMPARE(NativeMenu::shared().menuStack(), (QList<QMenu *>{&menu.root, &menu.more}));
        QCOMPARE(NativeMenu::shared().popupWindow(), popup);
        QCOMPARE(submenuShown.count(), 1);
        QCOMPARE(rowTitles(), (QStringList{QStringLiteral("\u2039 更多"), "子项一", "子项二"}));
        QCOMPARE(content()->rows().first()->objectName(), "NativeMenuBackRow");
        QCOMPARE(content()->size().height(), 8 + 34 + 12 + 2 * 34 + 8);
        QCOMPARE(content()->focused(), -1);

        // Down focuses the back row first, then skips the disabled item on its way round.
        press({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down});
        QCOMPARE(focusedTitle(), QStringLiteral("\u2039 更多"));

        press({Qt::Key_Left});
        QCOMPARE(NativeMenu::shared().menuStack(), (QList<QMenu *>{&menu.root}));
        QCOMPARE(rowTitles().last(), "更多");
        QCOMPARE(content()->focused(), -1);
        QVERIFY(NativeMenu::shared().isShowing(&menu.root));

        // The back row does the same as Left; Left at the root closes.
        QTest::mouseClick(content()->rows().last(), Qt::LeftButton);
        QCOMPARE(NativeMenu::shared().menuStack().size(), 2);
        QTest::mouseClick(content()->rows().first(), Qt::LeftButton);
        QCOMPARE(NativeMenu::shared().menuStack().size(), 1);
        press({Qt::Key_Left});
        QVERIFY(!NativeMenu::shared().popupWindow());
    }

    void choosingInASubmenuReportsThroughItsParents() {
        MenuFixture menu;
        QSignalSpy rootTriggered(&menu.root, &QMenu::triggered);
        QSignalSpy moreTriggered(&menu.more, &QMenu::triggered);
        QSignalSpy first(menu.first, &QAction::triggered);
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        QTest::mouseClick(content()->rows().last(), Qt::LeftButton);
        QTest::mouseClick(content()->rows().at(1), Qt::LeftButton);
        QCOMPARE(first.count(), 1);
        QCOMPARE(moreTriggered.count(), 1);
        QCOMPARE(rootTriggered.count(), 1);
        QVERIFY(!NativeMenu::shared().popupWindow());
    }

    void aSubmenuWithoutATitleGetsTheBareMark() {
        QMenu root;
        QMenu untitled;
        untitled.addAction(QStringLiteral("子项"));
        root.addMenu(&untitled);
        NativeMenu::shared().show(&root, QRect(100, 100, 24, 24));
        press({Qt::Key_Down, Qt::Key_Right});
        QCOMPARE(rowTitles().first(), QStringLiteral("\u2039"));
    }

    void selectedItemIsFocusedAndChecked() {
        MenuFixture menu;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24), menu.copy);
        QCOMPARE(focusedTitle(), "选区识字并复制");
        QVERIFY(content()->rows().first()->isSelected());
        QVERIFY(!content()->rows().at(2)->isSelected());
    }

    void onePopupPerProcess() {
        MenuFixture first;
        QMenu second;
        second.addAction(QStringLiteral("另一个"));
        int firstDismissals = 0;
        NativeMenu::shared().show(&first.root, QRect(100, 100, 24, 24), nullptr, [&] { ++firstDismissals; });
        NativeMenu::shared().show(&second, QRect(300, 100, 24, 24));
        QVERIFY(!NativeMenu::shared().isShowing(&first.root));
        QVERIFY(NativeMenu::shared().isShowing(&second));
        QCOMPARE(firstDismissals, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int popups = 0;
        for (const QWidget *window : QApplication::topLevelWidgets())
            popups += window->objectName() == "NativeMenuPopup" && window->isVisible() ? 1 : 0;
        QCOMPARE(popups, 1);
    }

    void aPopupHiddenByQtIsADismissal() {
        MenuFixture menu;
        int dismissals = 0;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24), nullptr, [&] { ++dismissals; });
        // What Qt does to a popup when the user clicks outside it.
        NativeMenu::shared().popupWindow()->close();
        QCOMPARE(dismissals, 1);
        QVERIFY(!NativeMenu::shared().isShowing(&menu.root));
    }

    void rowsFollowChangesWhileOpen() {
        MenuFixture menu;
        NativeMenu::shared().show(&menu.root, QRect(100, 100, 24, 24));
        press({Qt::Key_Down});
        menu.copy->setText(QStringLiteral("正在识别…"));
        menu.copy->setEnabled(false);
        NativeMenuRow *row = content()->rows().first();
        QCOMPARE(row->text(), "正在识别…");
        QVERIFY(!row->isEnabled());
        QVERIFY(!row->menuHighlighted());
        press({Qt::Key_Return});
        QVERIFY(NativeMenu::shared().isShowing(&menu.root));
    }

    void aRowOutlivesItsItem() {
        QMenu menu;
        QAction *gone = menu.addAction(QStringLiteral("项"));
        menu.addAction(QStringLiteral("另一项"));
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        NativeMenuRow *row = content()->rows().first();
        delete gone;
        // The row keeps a plain item of its own with the same title, which does nothing.
        QVERIFY(row->item());
        QCOMPARE(row->item()->text(), "项");
        QTest::mouseClick(row, Qt::LeftButton);
        QVERIFY(!NativeMenu::shared().popupWindow());
    }

    void rowDrawing_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<int>("iconAlpha");
        QTest::addColumn<bool>("iconIsRed");
        QTest::addColumn<int>("highlightAlpha");
        // The icon's centre is at (17, 17); a point of the highlight with nothing else drawn on it is (200, 3).
        QTest::newRow("enabled") << true << false << false << 255 << true << 0;
        QTest::newRow("enabled, highlighted") << true << false << true << 255 << true << 36;
        QTest::newRow("disabled: icon at 35 %, never highlighted") << false << false << true << 89 << true << 0;
        QTest::newRow("checked: the check mark instead of the icon") << true << true << false << -1 << false << 0;
    }

    void rowDrawing() {
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        QFETCH(bool, highlighted);
        QFETCH(int, iconAlpha);
        QFETCH(bool, iconIsRed);
        QFETCH(int, highlightAlpha);
        QPixmap red(15, 15);
        red.fill(Qt::red);
        NativeMenuRowContent row;
        row.title = QStringLiteral("复制");
        row.icon = QIcon(red);
        row.enabled = enabled;
        row.checked = checked;
        const QColor icon = pixelOfRow(row, highlighted, QPoint(12, 17));
        if (iconAlpha >= 0)
            QVERIFY2(qAbs(icon.alpha() - iconAlpha) <= 2, qPrintable(QString::number(icon.alpha())));
        QCOMPARE(icon.red() > 200 && icon.green() < 50, iconIsRed);
        const QColor highlight = pixelOfRow(row, highlighted, QPoint(200, 3));
        QVERIFY2(qAbs(highlight.alpha() - highlightAlpha) <= 2, qPrintable(QString::number(highlight.alpha())));
    }
};

QTEST_MAIN(TestNativeMenu)
#include "TestNativeMenu.moc"

#include "NativeMenu.h"
#include "NativeMenuLayout.h"

#include <QTest>

using NativeMenuLayout::ItemKind;
using NativeMenuLayout::Placement;

class TestNativeMenuLayout final : public QObject {
    Q_OBJECT

private slots:
    void widths_data() {
        QTest::addColumn<QList<int>>("titleWidths");
        QTest::addColumn<int>("popupWidth");
        QTest::addColumn<int>("styledRowWidth");
        QTest::newRow("no items") << QList<int>{} << 240 << 260;
        QTest::newRow("short titles keep the minimum") << QList<int>{40, 120} << 240 << 260;
        QTest::newRow("at the minimum") << QList<int>{150} << 240 << 260;
        QTest::newRow("the widest title decides") << QList<int>{60, 230, 120} << 320 << 330;
        QTest::newRow("just below the maximum") << QList<int>{330} << 420 << 430;
        QTest::newRow("a very long title is capped") << QList<int>{2000} << 420 << 440;
    }

    void widths() {
        QFETCH(QList<int>, titleWidths);
        QFETCH(int, popupWidth);
        QFETCH(int, styledRowWidth);
        QCOMPARE(NativeMenuLayout::menuWidth(titleWidths), popupWidth);
        QCOMPARE(NativeMenuLayout::styledRowWidth(titleWidths), styledRowWidth);
    }

    void layout_data() {
        QTest::addColumn<QList<ItemKind>>("items");
        QTest::addColumn<bool>("hasBackRow");
        QTest::addColumn<QList<Placement>>("placements");
        QTest::addColumn<int>("height");

        const auto row = [](int y, int index) {
            return Placement{Placement::Row, QRect(8, y, 284, 34), index};
        };
        const auto separator = [](int y, int index) {
            return Placement{Placement::Separator, QRect(16, y, 268, 1), index};
        };
        QTest::newRow("empty") << QList<ItemKind>{} << false << QList<Placement>{} << 16;
        QTest::newRow("rows stack 34 apart")
            << QList<ItemKind>{ItemKind::Row, ItemKind::Row} << false << QList<Placement>{row(8, 0), row(42, 1)} << 84;
        QTest::newRow("hidden items take no space, each separator 12")
            << QList<ItemKind>{ItemKind::Row, ItemKind::Separator, ItemKind::Separator, ItemKind::Hidden, ItemKind::Row}
            << false << QList<Placement>{row(8, 0), separator(47, 1), separator(59, 2), row(66, 4)} << 108;
        QTest::newRow("a submenu starts with the back row and a separator")
            << QList<ItemKind>{ItemKind::Row, ItemKind::Separator, ItemKind::Row} << true
            << QList<Placement>{{Placement::BackRow, QRect(8, 8, 284, 34), -1},
                                separator(47, -1),
                                row(54, 0),
                                separator(93, 1),
                                row(100, 2)}
            << 142;
    }

    void layout() {
        QFETCH(QList<ItemKind>, items);
        QFETCH(bool, hasBackRow);
        QFETCH(QList<Placement>, placements);
        QFETCH(int, height);
        const NativeMenuLayout::Content content = NativeMenuLayout::layout(items, 300, hasBackRow);
        QCOMPARE(content.placements, placements);
        QCOMPARE(content.size, QSize(300, height));
    }

    void moveFocus_data() {
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expected");
        const QList<bool> mixed{false, true, false, true, true, false};
        QTest::newRow("down from nothing: first enabled") << mixed << -1 << 1 << 1;
        QTest::newRow("up from nothing: last enabled") << mixed << -1 << -1 << 4;
        QTest::newRow("down skips a disabled row") << mixed << 1 << 1 << 3;
        QTest::newRow("up skips a disabled row") << mixed << 3 << -1 << 1;
        QTest::newRow("down from the last enabled wraps") << mixed << 4 << 1 << 1;
        QTest::newRow("up from the first enabled wraps") << mixed << 1 << -1 << 4;
        QTest::newRow("a single enabled row stays") << QList<bool>{false, true, false} << 1 << 1 << 1;
        QTest::newRow("nothing enabled") << QList<bool>{false, false} << -1 << 1 << -1;
        QTest::newRow("no rows") << QList<bool>{} << -1 << -1 << -1;
    }

    void moveFocus() {
        QFETCH(QList<bool>, enabled);
        QFETCH(int, current);
        QFETCH(int, step);
        QFETCH(int, expected);
        QCOMPARE(NativeMenuLayout::moveFocus(enabled, current, step), expected);
    }

    void rowGeometry_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("hasSubmenu");
        QTest::addColumn<int>("shortcutWidth");
        QTest::addColumn<QRectF>("title");
        QTest::addColumn<QRectF>("shortcut");
        QTest::newRow("plain") << 224 << false << 0 << QRectF(32, 8.5, 178, 18) << QRectF(212, 10, 0, 14);
        QTest::newRow("submenu") << 224 << true << 0 << QRectF(32, 8.5, 164, 18) << QRectF(212, 10, 0, 14);
        QTest::newRow("shortcut") << 224 << false << 40 << QRectF(32, 8.5, 130, 18) << QRectF(172, 10, 40, 14);
        QTest::newRow("title never narrower than 20")
            << 60 << false << 40 << QRectF(32, 8.5, 20, 18) << QRectF(8, 10, 40, 14);
    }

    void rowGeometry() {
        QFETCH(int, width);
        QFETCH(bool, hasSubmenu);
        QFETCH(int, shortcutWidth);
        QFETCH(QRectF, title);
        QFETCH(QRectF, shortcut);
        const auto geometry = NativeMenuLayout::rowGeometry(QSizeF(width, 34), hasSubmenu, shortcutWidth);
        QCOMPARE(geometry.title, title);
        QCOMPARE(geometry.shortcut, shortcut);
        QCOMPARE(geometry.icon, QRectF(10, 9.5, 15, 15));
        QCOMPARE(geometry.chevron, QRectF(width - 23, 11.5, 9, 11));
        QCOMPARE(geometry.highlight, QRectF(1, 1, width - 2, 32));
    }

    void popupPosition_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("position");
        // A 240 × 200 popup on a 1280 × 800 screen whose top 24 pixels are a panel.
        QTest::newRow("centred under a tray icon") << QRect(600, 0, 24, 24) << QPoint(491, 28);
        QTest::newRow("kept inside on the right") << QRect(1250, 0, 24, 24) << QPoint(1040, 28);
        QTest::newRow("kept inside on the left") << QRect(2, 0, 24, 24) << QPoint(0, 28);
        QTest::newRow("above an icon of a bottom panel") << QRect(600, 776, 24, 24) << QPoint(491, 572);
        QTest::newRow("under the pointer") << QRect(300, 400, 1, 1) << QPoint(180, 405);
        QTest::newRow("no room either way: pinned to the bottom") << QRect(300, 150, 1, 500) << QPoint(180, 600);
    }

    void popupPosition() {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, position);
        QCOMPARE(NativeMenu::popupPosition(QSize(240, 200), anchor, QRect(0, 24, 1280, 776)), position);
    }
};

QTEST_GUILESS_MAIN(TestNativeMenuLayout)
#include "TestNativeMenuLayout.moc"

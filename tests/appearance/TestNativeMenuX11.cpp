// The popup menu on a real X server: the pointer and the keyboard come from
// xdotool, through Qt's popup grab.
#include "NativeMenu.h"
#include "NativeMenuContentView.h"
#include "NativeMenuRow.h"
#include "X11Compositing.h"
#include "XSupport.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

bool clickAt(QPoint point) {
    return XSupport::xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
}

} // namespace

class TestNativeMenuX11 final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X server");
    }

    void cleanup() { NativeMenu::shared().close(); }

    void aClickOutsideDismisses() {
        QMenu menu;
        QAction *copy = menu.addAction("选区识字并复制");
        QSignalSpy triggered(copy, &QAction::triggered);
        int dismissals = 0;
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24), nullptr, [&] { ++dismissals; });
        QWidget *popup = NativeMenu::shared().popupWindow();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        QVERIFY(clickAt(popup->geometry().bottomRight() + QPoint(150, 150)));
        QTRY_COMPARE(dismissals, 1);
        QVERIFY(!NativeMenu::shared().isShowing(&menu));
        QCOMPARE(triggered.count(), 0);
    }

    void aClickOnARowTriggersIt() {
        QMenu menu;
        menu.addAction("选区识字并复制");
        QAction *polish = menu.addAction("选区识字并 AI 润色");
        QSignalSpy triggered(polish, &QAction::triggered);
        int dismissals = 0;
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24), nullptr, [&] { ++dismissals; });
        QWidget *popup = NativeMenu::shared().popupWindow();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        NativeMenuRow *row = NativeMenu::shared().contentView()->rows().at(1);
        QVERIFY(clickAt(row->mapToGlobal(row->rect().center())));
        QTRY_COMPARE(triggered.count(), 1);
        QVERIFY(!NativeMenu::shared().popupWindow());
        QCOMPARE(dismissals, 0);
    }

    void theKeyboardReachesThePopup() {
        QMenu menu;
        menu.addAction("选区识字并复制");
        QAction *polish = menu.addAction("选区识字并 AI 润色");
        QSignalSpy triggered(polish, &QAction::triggered);
        // The pointer away from the rows, which it would otherwise focus.
        QVERIFY(XSupport::xdotool({"mousemove", "700", "500"}));
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        QVERIFY(QTest::qWaitForWindowExposed(NativeMenu::shared().popupWindow()));
        QVERIFY(XSupport::xdotool({"key", "Up", "Return"}));
        QTRY_COMPARE(triggered.count(), 1);
    }

    void cornersAreCutWithoutACompositor() {
        QMenu menu;
        menu.addAction("项");
        NativeMenu::shared().show(&menu, QRect(100, 100, 24, 24));
        QWidget *popup = NativeMenu::shared().popupWindow();
        // Xvfb runs no compositing manager: the corners would show black without a mask.
        QCOMPARE(x11CompositingManagerRunning(), false);
        QVERIFY(!popup->mask().isEmpty());
        QVERIFY(!popup->mask().contains(QPoint(0, 0)));
        QVERIFY(popup->mask().contains(popup->rect().center()));
    }
};

QTEST_MAIN(TestNativeMenuX11)
#include "TestNativeMenuX11.moc"

#include "NativeMenu.h"
#include "NativeMenuContentView.h"
#include "NativeStatusMenu.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

using namespace std::chrono_literals;

class TestNativeStatusMenu final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { NativeMenu::shared().close(); }

    void clicksToggleWithAGuardAfterADismissal() {
        QSystemTrayIcon tray;
        QMenu menu;
        menu.addAction(QStringLiteral("选区识字并复制"));
        NativeStatusMenu *statusMenu = NativeStatusMenu::attach(&tray, &menu);
        QVERIFY(statusMenu);
        statusMenu->setReopenGuard(150ms);
        NativeMenu &popup = NativeMenu::shared();

        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(popup.isShowing(&menu));
        // A second click, left or right, closes it.
        emit tray.activated(QSystemTrayIcon::Context);
        QVERIFY(!popup.isShowing(&menu));
        // The click that dismissed it must not reopen it …
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(!popup.isShowing(&menu));
        // … a click after the guard does.
        QTest::qWait(200);
        emit tray.activated(QSystemTrayIcon::Context);
        QVERIFY(popup.isShowing(&menu));

        // Escape is a dismissal too.
        QTest::keyClick(popup.contentView(), Qt::Key_Escape);
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(!popup.isShowing(&menu));
        QTest::qWait(200);

        // Choosing an item is no dismissal: the next click opens at once.
        emit tray.activated(QSystemTrayIcon::Trigger);
        QTest::keyClick(popup.contentView(), Qt::Key_Down);
        QTest::keyClick(popup.contentView(), Qt::Key_Return);
        QVERIFY(!popup.isShowing(&menu));
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(popup.isShowing(&menu));
    }

    void otherClicksDoNothing() {
        QSystemTrayIcon tray;
        QMenu menu;
        menu.addAction(QStringLiteral("项"));
        NativeStatusMenu::attach(&tray, &menu);
        emit tray.activated(QSystemTrayIcon::DoubleClick);
        emit tray.activated(QSystemTrayIcon::MiddleClick);
        QVERIFY(!NativeMenu::shared().popupWindow());
    }

    void opensAtThePointerWithoutTrayGeometry() {
        QSystemTrayIcon tray;
        QMenu menu;
        menu.addAction(QStringLiteral("项"));
        NativeStatusMenu::attach(&tray, &menu);
        QVERIFY(!tray.geometry().isValid() || tray.geometry().isEmpty());
        QCursor::setPos(400, 300);
        if (QCursor::pos() != QPoint(400, 300))
            QSKIP("the platform does not move the pointer");
        emit tray.activated(QSystemTrayIcon::Trigger);
        const QRect popup = NativeMenu::shared().popupWindow()->geometry();
        // Centred under the pointer, a few pixels below it, so the button's release misses the rows.
        QCOMPARE(popup.left(), 400 - popup.width() / 2);
        QCOMPARE(popup.top(), 305);
    }

    void bindingsFollowAttachAndDetach() {
        QSystemTrayIcon tray;
        QMenu first;
        first.addAction(QStringLiteral("一"));
        QMenu second;
        second.addAction(QStringLiteral("二"));
        QMenu context;
        tray.setContextMenu(&context);
        NativeStatusMenu::attach(&tray, &first);
        QCOMPARE(tray.contextMenu(), nullptr);
        QCOMPARE(NativeStatusMenu::menu(&tray), &first);

        // Attaching again replaces the binding: one click, one menu.
        NativeStatusMenu::attach(&tray, &second);
        QCOMPARE(NativeStatusMenu::menu(&tray), &second);
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(NativeMenu::shared().isShowing(&second));
        QCOMPARE(NativeMenu::shared().menuStack().size(), 1);

        NativeStatusMenu::detach(&tray);
        QCOMPARE(NativeStatusMenu::menu(&tray), nullptr);
        QVERIFY(!NativeMenu::shared().popupWindow());
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(!NativeMenu::shared().popupWindow());
    }

    void aDestroyedTrayIconTakesItsBindingWithIt() {
        QMenu menu;
        auto *tray = new QSystemTrayIcon;
        NativeStatusMenu::attach(tray, &menu);
        delete tray;
        QCOMPARE(NativeStatusMenu::menu(tray), nullptr);
    }
};

QTEST_MAIN(TestNativeStatusMenu)
#include "TestNativeStatusMenu.moc"

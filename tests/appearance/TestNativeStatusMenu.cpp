#include "NativeMenu.h"
#include "NativeMenuContentView.h"
#include "NativeStatusMenu.h"

#include <QCursor>
#include <QMenu>
#include <QSignalSpy>
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

    // Where the panel shows the menu (Wayland), it has the menu and a left
    // click runs the default action; without a usable one it opens the popup.
    void clicksWhereThePanelShowsTheMenu_data() {
        QTest::addColumn<QString>("defaultAction");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("triggered");
        QTest::addColumn<bool>("popupOpens");
        QTest::newRow("left click, a default action") << "enabled" << int(QSystemTrayIcon::Trigger) << true << false;
        QTest::newRow("left click, no default action") << "none" << int(QSystemTrayIcon::Trigger) << false << true;
        QTest::newRow("left click, the default action disabled")
            << "disabled" << int(QSystemTrayIcon::Trigger) << false << true;
        QTest::newRow("left click, the default action hidden")
            << "hidden" << int(QSystemTrayIcon::Trigger) << false << true;
        QTest::newRow("a panel asking for the menu") << "enabled" << int(QSystemTrayIcon::Context) << false << true;
        QTest::newRow("middle click") << "enabled" << int(QSystemTrayIcon::MiddleClick) << false << false;
    }

    void clicksWhereThePanelShowsTheMenu() {
        QFETCH(QString, defaultAction);
        QFETCH(int, reason);
        QFETCH(bool, triggered);
        QFETCH(bool, popupOpens);
        QSystemTrayIcon tray;
        QMenu menu;
        QAction *capture = menu.addAction(QStringLiteral("选区识字并复制"));
        menu.addAction(QStringLiteral("退出 Vellora"));
        if (defaultAction != QLatin1String("none"))
            menu.setDefaultAction(capture);
        capture->setEnabled(defaultAction != QLatin1String("disabled"));
        capture->setVisible(defaultAction != QLatin1String("hidden"));
        QSignalSpy triggers(capture, &QAction::triggered);
        NativeStatusMenu *statusMenu = NativeStatusMenu::attach(&tray, &menu);
        QVERIFY(!statusMenu->panelShowsMenu());
        QCOMPARE(tray.contextMenu(), nullptr);

        statusMenu->setPanelShowsMenu(true);
        QCOMPARE(tray.contextMenu(), &menu);
        emit tray.activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(triggers.count(), triggered ? 1 : 0);
        QCOMPARE(NativeMenu::shared().isShowing(&menu), popupOpens);

        // Taken back, the menu is the popup's alone again.
        statusMenu->setPanelShowsMenu(false);
        QCOMPARE(tray.contextMenu(), nullptr);
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

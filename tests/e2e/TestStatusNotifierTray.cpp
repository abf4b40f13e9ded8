// The tray icon under a StatusNotifierItem panel (KDE Plasma, GNOME's
// AppIndicator extension, waybar, most others): the real application registers
// with a panel of the test's own (StatusNotifierHost, on a bus of its own),
// which reads the item and clicks it the way a panel does. On X11 the
// application's own popup menu opens where the click was, kept on the screen;
// on Wayland, where no window of ours can be placed, the panel is given the
// menu to show, and a left click starts a capture.
#include "NativeTrayIcon.h"
#include "StatusNotifierHost.h"
#include "TestSupport.h"
#include "WaylandSession.h"
#include "XSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// The visible top-level windows of the application on the X display (only the
// popup, while the settings window stays closed).
QList<QRect> visibleWindows(const QString &windowClass) {
    const TestSupport::ProcessResult found = TestSupport::run(
        QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--classname"), QStringLiteral("^%1$").arg(windowClass)});
    QList<QRect> windows;
    for (const QByteArray &id : found.standardOutput.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const TestSupport::ProcessResult geometry =
            TestSupport::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                                                         QString::fromLatin1(id.trimmed())});
        const QString text = QString::fromUtf8(geometry.standardOutput);
        const auto value = [&text](const char *name) {
            return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name)))
                .match(text)
                .captured(1)
                .toInt();
        };
        windows.append(QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT")));
    }
    return windows;
}

QList<QRect> popups() {
    return visibleWindows(QStringLiteral("vellora"));
}

// Saves the screen for the documentation when VELLORA_SCREENSHOT_DIR names a folder.
void keepScreenshot(const QString &name) {
    const QString folder = qEnvironmentVariable("VELLORA_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QGuiApplication::primaryScreen())
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(folder).filePath(name));
}

bool sameColour(QRgb a, QRgb b) {
    const auto near = [](int x, int y) {
        return std::abs(x - y) <= 2;
    };
    // Fully transparent pixels carry no colour.
    return near(qAlpha(a), qAlpha(b)) &&
           (qAlpha(a) == 0 || (near(qRed(a), qRed(b)) && near(qGreen(a), qGreen(b)) && near(qBlue(a), qBlue(b))));
}

} // namespace

class TestStatusNotifierTray final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QProcessEnvironment environment(const QString &busAddress, const QString &configName,
                                    QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const {
        base.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (base.contains(QStringLiteral("WAYLAND_DISPLAY")))
            base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        const QString config = m_dir.filePath(configName);
        QDir().mkpath(config);
        base.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        // The menu's texts are checked in the key language.
        base.insert(QStringLiteral("LANGUAGE"), QStringLiteral("zh_CN"));
        base.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
        return base;
    }

    static bool startApp(QProcess &app, const QProcessEnvironment &environment) {
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(TestSupport::velloraExecutable(), {});
        return app.waitForStarted();
    }

    // Starts the application and waits until it has registered with the panel:
    // its item, or nothing.
    static QString startRegistered(StatusNotifierHost &panel, QProcess &app, const QProcessEnvironment &environment) {
        if (!startApp(app, environment) ||
            !QTest::qWaitFor([&panel] { return panel.registeredItems().size() == 1; }, 60000))
            return {};
        return panel.registeredItems().constFirst();
    }

    static void stopApp(QProcess &app) {
        if (app.state() == QProcess::NotRunning)
            return;
        app.terminate();
        if (!app.waitForFinished(20000))
            app.kill();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanup() { QTRY_VERIFY(popups().isEmpty()); }

    void theItemRegistersWithItsIconAndStatus() {
        StatusNotifierHost panel;
        QVERIFY(panel.startOnOwnBus());
        QProcess app;
        const auto stopped = qScopeGuard([&app] { stopApp(app); });
        const QString item = startRegistered(panel, app, environment(panel.busAddress(), QStringLiteral("register")));
        QVERIFY(!item.isEmpty());

        QCOMPARE(panel.itemProperty(item, QStringLiteral("Status")), std::optional<QVariant>(QStringLiteral("Active")));
        QCOMPARE(panel.itemProperty(item, QStringLiteral("Category")),
                 std::optional<QVariant>(QStringLiteral("ApplicationStatus")));
        QCOMPARE(panel.itemProperty(item, QStringLiteral("ItemIsMenu")), std::optional<QVariant>(false));
        QVERIFY(!panel.itemProperty(item, QStringLiteral("Title")).value_or(QString()).toString().isEmpty());
        // The tooltip carries the status line.
        QTRY_COMPARE(panel.toolTipTitle(item), QStringLiteral("就绪"));
        // On X11 the application shows its own popup: the panel gets no menu.
        QVERIFY(!panel.menu(item));

        // The icon travels as pictures (it has no theme name): the badge, for a
        // panel that says nothing of its colours, at the sizes panels ask for.
        const QList<QImage> pixmaps = panel.iconPixmaps(item);
        QVERIFY(!pixmaps.isEmpty());
        bool has22 = false;
        for (const QImage &pixmap : pixmaps) {
            QCOMPARE(pixmap.width(), pixmap.height());
            has22 = has22 || pixmap.width() == 22;
            const QImage expected = NativeTrayIcon::image(NativeTrayIcon::Variant::Badge, pixmap.width())
                                        .convertToFormat(QImage::Format_ARGB32);
            int differing = 0;
            for (int y = 0; y < pixmap.height(); ++y) {
                for (int x = 0; x < pixmap.width(); ++x)
                    differing += sameColour(pixmap.pixel(x, y), expected.pixel(x, y)) ? 0 : 1;
            }
            QVERIFY2(differing == 0,
                     qPrintable(QStringLiteral("%1 pixels differ at size %2").arg(differing).arg(pixmap.width())));
        }
        QVERIFY(has22);

        // The item goes with the application.
        QSignalSpy gone(&panel, &StatusNotifierHost::StatusNotifierItemUnregistered);
        stopApp(app);
        QCOMPARE(app.exitCode(), 0);
        QTRY_COMPARE(gone.count(), 1);
        QVERIFY(panel.registeredItems().isEmpty());
    }

    // A panel's left click reaches Qt without its position: the popup opens
    // where the pointer is, which is where the click was, on that screen and
    // inside it wherever the panel sits.
    void aLeftClickOpensThePopupWhereTheClickWas_data() {
        QTest::addColumn<QPoint>("click");
        QTest::addRow("a top panel") << QPoint(960, 12);
        QTest::addRow("a bottom panel's right end") << QPoint(1915, 1075);
        QTest::addRow("a left panel's top end") << QPoint(6, 4);
    }

    void aLeftClickOpensThePopupWhereTheClickWas() {
        QFETCH(QPoint, click);
        StatusNotifierHost panel;
        QVERIFY(panel.startOnOwnBus());
        QProcess app;
        const auto stopped = qScopeGuard([&app] { stopApp(app); });
        const QString item = startRegistered(panel, app, environment(panel.busAddress(), QStringLiteral("placement")));
        QVERIFY(!item.isEmpty());
        const QRect screen(0, 0, 1920, 1080);

        QVERIFY(
            XSupport::xdotool({QStringLiteral("mousemove"), QString::number(click.x()), QString::number(click.y())}));
        QVERIFY(panel.activate(item, click));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 20000);
        const QRect popup = popups().constFirst();
        QVERIFY2(
            screen.contains(popup),
            qPrintable(
                QStringLiteral("%1,%2 %3x%4").arg(popup.x()).arg(popup.y()).arg(popup.width()).arg(popup.height())));
        QVERIFY(popup.width() >= 240 && popup.width() <= 420);
        // Centred on the click where the screen allows, a little below it, or
        // above it where there is no room below; never over the click itself.
        QCOMPARE(popup.left(), std::clamp(click.x() - popup.width() / 2, 0, screen.width() - popup.width()));
        if (click.y() + 5 + popup.height() <= screen.height())
            QCOMPARE(popup.top(), click.y() + 5);
        else
            QCOMPARE(popup.bottom(), click.y() - 5);
        if (QTest::currentDataTag() == QLatin1String("a top panel"))
            keepScreenshot(QStringLiteral("tray-sni-popup-x11.png"));

        // The next click on the icon closes it.
        QTest::qWait(300);
        QVERIFY(panel.activate(item, click));
        QTRY_VERIFY(popups().isEmpty());
        stopApp(app);
    }

    void theRightClickMenuTakesTheKeyboardAndQuits() {
        StatusNotifierHost panel;
        QVERIFY(panel.startOnOwnBus());
        QProcess app;
        const auto stopped = qScopeGuard([&app] { stopApp(app); });
        const QString item = startRegistered(panel, app, environment(panel.busAddress(), QStringLiteral("keyboard")));
        QVERIFY(!item.isEmpty());
        QSignalSpy gone(&panel, &StatusNotifierHost::StatusNotifierItemUnregistered);

        QVERIFY(XSupport::xdotool({QStringLiteral("mousemove"), QStringLiteral("1500"), QStringLiteral("1070")}));
        QVERIFY(panel.contextMenu(item, QPoint(1500, 1070)));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, 20000);
        // Nothing was clicked in a window of ours, yet the keys reach the popup:
        // the last row quits.
        QTest::qWait(200);
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")}));
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QTRY_COMPARE(gone.count(), 1);
    }

    // On Wayland (sway, with a panel of the test's own on the desktop's bus) the
    // panel shows the menu itself, under the icon: every row with its state, and
    // a click on a row runs it. A left click starts a capture.
    void onWaylandThePanelShowsTheMenu() {
        WaylandSession session;
        QVERIFY2(session.start({{QRect(0, 0, 1280, 720), 1}}), qPrintable(session.error()));
        StatusNotifierHost panel;
        QVERIFY(panel.start(session.busAddress()));
        QProcess app;
        const auto stopped = qScopeGuard([&app] { stopApp(app); });
        const QString item = startRegistered(
            panel, app, environment(session.busAddress(), QStringLiteral("wayland"), session.environment()));
        QVERIFY(!item.isEmpty());

        std::optional<QList<StatusNotifierHost::MenuRow>> rows;
        QTRY_VERIFY_WITH_TIMEOUT((rows = panel.menu(item)) && rows->size() == 9, 20000);
        // Each row as the panel draws it: label, then "hidden" or "disabled"
        // where it is not a plain row, then the shortcut.
        QStringList drawn;
        for (const StatusNotifierHost::MenuRow &row : *rows) {
            QStringList parts{row.separator ? QStringLiteral("--") : row.label};
            // A hidden row's other states show nowhere (Qt also disables it).
            if (!row.visible)
                parts << QStringLiteral("hidden");
            else if (!row.enabled)
                parts << QStringLiteral("disabled");
            if (!row.shortcut.isEmpty())
                parts << row.shortcut.join(u'+');
            drawn << parts.join(QStringLiteral(" | "));
        }
        const QStringList expected{
            QStringLiteral("选区识字并复制"),
            QStringLiteral("选区识字并 AI 润色"),
            QStringLiteral("就绪 | disabled"),
            QStringLiteral("快捷键：Ctrl+Shift+Super+2 | disabled"),
            QStringLiteral("--"),
            QStringLiteral("设置… | Control+,"),
            QStringLiteral("检查更新…"),
            // sway asks for no permission in a panel of its own: nothing to open.
            QStringLiteral("打开屏幕录制权限设置… | hidden"),
            QStringLiteral("退出 Vellora | Control+Q"),
        };
        QCOMPARE(drawn, expected);

        // A click on "设置…" opens the settings window.
        QVERIFY(panel.clickMenuRow(item, rows->at(5).id));
        QVERIFY2(session.waitForWindows(QStringLiteral("Vellora 设置"), 1), session.describeWindows().constData());

        // The left click starts a capture: the overlay comes up over the desktop.
        QVERIFY(panel.activate(item, QPoint(1200, 10)));
        QVERIFY2(session.waitForWindows(QStringLiteral("vellora-screencapture"), 1, 60000),
                 session.describeWindows().constData());
        QTest::qWait(200);
        QVERIFY(session.type(
            {QStringLiteral("-s"), QStringLiteral("300"), QStringLiteral("-k"), QStringLiteral("Escape")}));
        QTRY_VERIFY_WITH_TIMEOUT(session.visibleWindows(QStringLiteral("vellora-screencapture")).empty(), 20000);

        // "退出 Vellora" from the panel's menu ends the application.
        QVERIFY(panel.clickMenuRow(item, rows->at(8).id));
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitCode(), 0);
    }
};

QTEST_MAIN(TestStatusNotifierTray)
#include "TestStatusNotifierTray.moc"

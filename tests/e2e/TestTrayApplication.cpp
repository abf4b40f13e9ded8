// The tray application's life as a process: its icon in a real tray host and
// the menu behind it, one instance per session and settings, a second start
// handing over to the first, and an orderly end (from the menu or on SIGTERM)
// that releases the global hot key. Real binaries on the session's X server.
#include "CapturedShortcut.h"
#include "TestSupport.h"
#include "TrayHost.h"
#include "XKeyGrabber.h"
#include "XSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestTrayApplication final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TrayHost m_tray;

    QProcessEnvironment environment(const QString &configName) const
    {
        QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
        result.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const QString config = m_dir.filePath(configName);
        QDir().mkpath(config);
        result.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        return result;
    }

    // Whether some client holds the default hot key.
    static bool hotKeyHeld()
    {
        const CapturedShortcut shortcut = CapturedShortcut::defaultShortcut();
        return XKeyGrabber::heldElsewhere(shortcut.keyCode, shortcut.modifiers);
    }

    void start(QProcess &app, const QString &configName, const QStringList &arguments = {})
    {
        app.setProcessEnvironment(environment(configName));
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(TestSupport::velloraExecutable(), arguments);
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(hotKeyHeld(), 60000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_tray.start());
    }

    void trayIconMenuStartsACapture()
    {
        QProcess app;
        start(app, QStringLiteral("menu"));
        QTRY_COMPARE_WITH_TIMEOUT(m_tray.iconCount(), 1, 20000);
        QVERIFY(m_tray.click());
        QTest::qWait(500);
        // The first row: "选区识字并复制".
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QTest::qWait(150);
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTest::qWait(300);
        QCOMPARE(app.state(), QProcess::Running);

        // A right click opens the same menu; its last row quits.
        QVERIFY(m_tray.click(0, 3));
        QTest::qWait(500);
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")}));
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(!hotKeyHeld());
        QTRY_COMPARE(m_tray.iconCount(), 0);
    }

    void secondStartHandsOverAndExits()
    {
        QProcess first;
        start(first, QStringLiteral("one"));
        QTRY_COMPARE_WITH_TIMEOUT(m_tray.iconCount(), 1, 20000);
        const TestSupport::ProcessResult second =
            TestSupport::runVellora({QStringLiteral("--open-settings-ai")}, {}, environment(QStringLiteral("one")), 30000);
        QVERIFY(second.finished);
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(first.state(), QProcess::Running);
        // The running one brings its settings forward instead.
        QVERIFY(XSupport::waitForWindow(QStringLiteral("Vellora Settings")));
        QCOMPARE(m_tray.iconCount(), 1);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
    }

    void settingsScreenshotOfTheAiTab()
    {
        const QString path = m_dir.filePath(QStringLiteral("ai-tab.png"));
        QProcess app;
        start(app, QStringLiteral("shot"),
              {QStringLiteral("--open-settings-ai"), QStringLiteral("--settings-screenshot"), path});
        QTRY_VERIFY_WITH_TIMEOUT(QImage(path).width() == 620, 20000);
        QVERIFY(XSupport::waitForWindow(QStringLiteral("Vellora Settings")));
        app.terminate();
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitCode(), 0);
    }

    void sigtermEndsCleanlyAndReleasesTheHotKey()
    {
        QProcess app;
        start(app, QStringLiteral("two"));
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(!hotKeyHeld());
        // The next start is a first start again: nothing stale answers for it.
        QProcess again;
        start(again, QStringLiteral("two"));
        QCOMPARE(again.state(), QProcess::Running);
        again.terminate();
        QVERIFY(again.waitForFinished(20000));
        QCOMPARE(again.exitCode(), 0);
    }

    void killedInstanceDoesNotBlockTheNextStart()
    {
        QProcess crashed;
        start(crashed, QStringLiteral("three"));
        crashed.kill();
        QVERIFY(crashed.waitForFinished(20000));
        QProcess next;
        start(next, QStringLiteral("three"));
        QCOMPARE(next.state(), QProcess::Running);
        next.terminate();
        QVERIFY(next.waitForFinished(20000));
    }
};

QTEST_MAIN(TestTrayApplication)
#include "TestTrayApplication.moc"

// What the tray application leaves behind when it ends, and what a later start
// finds: the selector ends with the application however it ends, a killed
// instance's screenshot folder is removed at the next start, and a start never
// takes over from an instance that is alive but does not answer. Real binaries
// on the session's X server.
#include "CapturedShortcut.h"
#include "FileLock.h"
#include "TestSupport.h"
#include "XKeyGrabber.h"
#include "XSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <random>

class TestProcessLifetime final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString temporaryFolder() const { return m_dir.filePath(QStringLiteral("tmp")); }
    QString configFolder(const QString &name) const { return m_dir.filePath(QStringLiteral("config-") + name); }

    // Each start gets the test's private TMPDIR, which marks its processes too.
    QProcessEnvironment environment(const QString &configName) const {
        QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
        result.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QDir().mkpath(configFolder(configName));
        result.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder(configName));
        result.insert(QStringLiteral("TMPDIR"), temporaryFolder());
        return result;
    }

    QStringList captureFolders() const {
        return QDir(temporaryFolder())
            .entryList({QStringLiteral("vellora-capture-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    }

    int running(const QString &command) const {
        return int(
            TestSupport::processesWithEnvironment(command, QStringLiteral("TMPDIR=") + temporaryFolder()).size());
    }

    static bool hotKeyHeld() {
        const CapturedShortcut shortcut = CapturedShortcut::defaultShortcut();
        return XKeyGrabber::heldElsewhere(shortcut.keyCode, shortcut.modifiers);
    }

    // Starts the tray app and waits until it holds its hot key.
    void start(QProcess &app, const QString &configName) {
        app.setProcessEnvironment(environment(configName));
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(TestSupport::velloraExecutable(), {});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(hotKeyHeld(), 60000);
    }

    // A folder as a killed instance leaves it: a name of its own, a screenshot in it.
    QString plantFolder() const {
        const QString path =
            QDir(temporaryFolder())
                .filePath(QStringLiteral("vellora-capture-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
        QDir().mkpath(path);
        QFile region(QDir(path).filePath(QStringLiteral("region.png")));
        if (region.open(QIODevice::WriteOnly))
            region.write("left behind");
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(temporaryFolder()));
    }

    // Without a display the tray app says why in one line, not with Qt's abort.
    void withoutADisplayTheAppSaysWhyInOneLine_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no display set") << QString()
                                        << QByteArray(
                                               "Vellora needs a display: no display is set (DISPLAY is empty).\n");
        // No server listens on this display's socket.
        QTest::newRow("a display no server answers")
            << QStringLiteral(":987") << QByteArray("Vellora needs a display: cannot connect to display :987.\n");
    }

    void withoutADisplayTheAppSaysWhyInOneLine() {
        QFETCH(QString, display);
        QFETCH(QByteArray, message);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")));
        QProcessEnvironment env = environment(QStringLiteral("headless"));
        env.remove(QStringLiteral("DISPLAY"));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        const TestSupport::ProcessResult result = TestSupport::runVellora({}, {}, env, 30000);
        QVERIFY(result.finished);
        QCOMPARE(result.standardError, message);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput, QByteArray());
    }

    // However the application ends, its selector (a full-screen overlay that
    // holds the keyboard) and its recognition process end with it.
    void theSelectorEndsWithTheApplication_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM: the orderly end") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGKILL: no clean-up of its own") << int(SIGKILL);
    }

    void theSelectorEndsWithTheApplication() {
        QFETCH(int, signal);
        QProcess app;
        start(app, QStringLiteral("selection"));
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+super+2")}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QCOMPARE(running(QStringLiteral("vellora-screencapture -i -s -x")), 1);
        QCOMPARE(captureFolders().size(), 1);
        // The hot key has warmed the engine up in its own process.
        QTRY_COMPARE_WITH_TIMEOUT(running(QStringLiteral("--text-engine-service")), 1, 10000);

        ::kill(pid_t(app.processId()), signal);
        QVERIFY(app.waitForFinished(20000));
        if (signal != SIGKILL) {
            QCOMPARE(app.exitStatus(), QProcess::NormalExit);
            QCOMPARE(app.exitCode(), 0);
            QCOMPARE(captureFolders(), QStringList());
        }
        QTRY_COMPARE_WITH_TIMEOUT(running(QStringLiteral("vellora-screencapture -i -s -x")), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(running(QStringLiteral("--text-engine-service")), 0, 10000);
        QTRY_VERIFY(!hotKeyHeld());
        if (signal != SIGKILL)
            return;
        // A killed instance could not remove its folder; the next start does.
        QCOMPARE(captureFolders().size(), 1);
        QProcess next;
        start(next, QStringLiteral("selection"));
        QTRY_COMPARE_WITH_TIMEOUT(captureFolders(), QStringList(), 10000);
        next.terminate();
        QVERIFY(next.waitForFinished(20000));
    }

    // SIGTERM while a large photograph-like region is read ends the
    // application soon: the recognition is cancelled and the end does not wait
    // for the parts of Tesseract's work that cannot be cancelled. (Plain noise
    // would not do: the engine knows it for no text and does not read it.)
    void theEndDoesNotWaitForARecognition() {
        const QRect region(100, 100, 1500, 900);
        QImage noise(region.size(), QImage::Format_Grayscale8);
        std::mt19937 random(7);
        std::normal_distribution<double> grain(0, 12);
        for (int y = 0; y < noise.height(); ++y) {
            uchar *row = noise.scanLine(y);
            for (int x = 0; x < noise.width(); ++x) {
                const double light = 128 + 20 * std::sin(0.011 * x + 0.004 * y) +
                                     15 * std::sin(0.003 * x - 0.017 * y + 1) +
                                     10 * std::sin(0.019 * x + 0.013 * y + 2) + grain(random);
                row[x] = uchar(std::clamp(light, 0.0, 255.0));
            }
        }
        QLabel window(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        window.setPixmap(QPixmap::fromImage(noise));
        window.setGeometry(region);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QProcess app;
        start(app, QStringLiteral("noise"));
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+super+2")}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QVERIFY(XSupport::drag(region.left() + 2, region.top() + 2, region.right() - 2, region.bottom() - 2));
        // The recognition starts once the selector has handed over its image.
        QTRY_COMPARE_WITH_TIMEOUT(running(QStringLiteral("vellora-screencapture -i -s -x")), 0, 20000);
        QTest::qWait(1500);

        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(app.processId()), SIGTERM);

        const bool ended = app.waitForFinished(15000);
        if (!ended)
            app.kill();
        QVERIFY2(ended, "the application still ran 15 s after SIGTERM");
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        qInfo("ended %lld ms after SIGTERM", ending.elapsed());
    }

    // At start the application removes the folders of captures that no running
    // instance holds, and leaves alone those that one does and what is not a
    // capture folder.
    void aStartLeavesFoldersThatAnInstanceHolds() {
        const QString abandoned = plantFolder();
        const QString alsoAbandoned = plantFolder();
        const QString held = plantFolder();
        const std::optional<FileLock> holder = FileLock::tryLock(QFile::encodeName(held), false);
        QVERIFY(holder.has_value());
        const QString notOurs = QDir(temporaryFolder()).filePath(QStringLiteral("vellora-capture-notes"));
        QVERIFY(QDir().mkpath(notOurs));

        QProcess app;
        start(app, QStringLiteral("sweep"));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(abandoned) && !QFileInfo::exists(alsoAbandoned), 10000);
        QVERIFY(QFileInfo::exists(QDir(held).filePath(QStringLiteral("region.png"))));
        QVERIFY(QFileInfo::exists(notOurs));
        app.terminate();
        QVERIFY(app.waitForFinished(20000));
        QVERIFY(QDir(held).removeRecursively());
        QVERIFY(QDir(notOurs).removeRecursively());
    }

    // An instance that is alive but does not answer (stopped here) keeps its
    // socket: a later start says so and exits, and once the instance runs on,
    // starts hand over to it again. Never two instances for one settings file.
    void aStoppedInstanceIsNeverReplaced() {
        QProcess first;
        start(first, QStringLiteral("stopped"));
        const QString marker = QStringLiteral("XDG_CONFIG_HOME=") + configFolder(QStringLiteral("stopped"));
        QCOMPARE(TestSupport::processesWithEnvironment(TestSupport::velloraExecutable() + u' ', marker).size(), 1);
        QVERIFY(::kill(pid_t(first.processId()), SIGSTOP) == 0);
        const auto resume = qScopeGuard([&first] { ::kill(pid_t(first.processId()), SIGCONT); });

        const TestSupport::ProcessResult second =
            TestSupport::runVellora({}, {}, environment(QStringLiteral("stopped")), 60000);
        QVERIFY2(second.finished, "the second start kept running beside the stopped one");
        QCOMPARE(second.exitCode, 1);
        QCOMPARE(second.standardError,
                 QByteArray("Vellora is already running with these settings but does not answer.\n"));

        QVERIFY(::kill(pid_t(first.processId()), SIGCONT) == 0);
        const TestSupport::ProcessResult third = TestSupport::runVellora({QStringLiteral("--open-settings-ai")}, {},
                                                                         environment(QStringLiteral("stopped")), 60000);
        QVERIFY(third.finished);
        QCOMPARE(third.exitCode, 0);
        QVERIFY(XSupport::waitForWindow(QStringLiteral("Vellora Settings")));
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(TestSupport::processesWithEnvironment(TestSupport::velloraExecutable() + u' ', marker).size(), 1);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitCode(), 0);
    }
};

QTEST_MAIN(TestProcessLifetime)
#include "TestProcessLifetime.moc"

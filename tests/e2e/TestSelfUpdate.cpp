// The self-update as a user meets it: version 1 installed with scripts/install
// into a home of its own, a local HTTPS site (reached through a CONNECT proxy
// under the product site's real name, trusted through VELLORA_EXTRA_CA_CERTS)
// serving update.json and the version 2 archive, and the running version 1
// checking, downloading, verifying and handing over to the helper, which swaps
// the bundle and starts version 2. The bundles are laid out by scripts/package
// from this build's own executables and signed with the build's test key.
#include "CapturedShortcut.h"
#include "HttpsTestServer.h"
#include "TestSupport.h"
#include "XKeyGrabber.h"
#include "XSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString SiteHost = "vellora.quorvel.app";

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The processes whose executable is this file (zombies left out).
QList<qint64> processesRunning(const QString &executable) {
    QList<qint64> found;
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QString target = QFile::symLinkTarget("/proc/" + entry + "/exe");
        const QByteArray stat = readFile("/proc/" + entry + "/stat");
        const qsizetype end = stat.lastIndexOf(')');
        if (target == wanted && end > 0 && end + 2 < stat.size() && stat.at(end + 2) != 'Z')
            found.append(pid);
    }
    return found;
}

// A process's command line: the program and its arguments.
QByteArrayList commandLine(qint64 pid) {
    QByteArrayList arguments = readFile("/proc/" + QString::number(pid) + "/cmdline").split('\0');
    if (!arguments.isEmpty())
        arguments.removeLast(); // each argument ends in a zero
    return arguments;
}

// The processes of this executable that run as the application. Once its
// bundle is moved into place the installation helper runs from the installed
// bundle too, until it ends; it and the children it forks carry its arguments,
// while the application is started without any.
QList<qint64> applicationsRunning(const QString &executable) {
    QList<qint64> found = processesRunning(executable);
    found.removeIf([](qint64 pid) { return commandLine(pid).size() != 1; });
    return found;
}

// The processes of this executable but the application's recognition process,
// which runs from the same bundle while the application is warm.
QList<qint64> runningButRecognition(const QString &executable) {
    QList<qint64> found = processesRunning(executable);
    found.removeIf([](qint64 pid) { return commandLine(pid).value(1) == "--text-engine-service"; });
    return found;
}

// The processes found, with their command lines, for a failure message.
QString processList(const QList<qint64> &pids, qint64 version1) {
    QString list = QStringLiteral("version 1 was %1; running from the installed bundle:").arg(version1);
    for (qint64 pid : pids)
        list += QStringLiteral(" [%1: %2]").arg(pid).arg(QString::fromLocal8Bit(commandLine(pid).join(' ')));
    return list + u'\n';
}

// Whether some client holds the default hot key: the tray application has
// finished launching.
bool hotKeyHeld() {
    const CapturedShortcut shortcut = CapturedShortcut::defaultShortcut();
    return XKeyGrabber::heldElsewhere(shortcut.keyCode, shortcut.modifiers);
}

} // namespace

class TestSelfUpdate final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<HttpsTestServer> m_site;
    QString m_home;
    QString m_installed;
    // What the site serves under /downloads/.
    QByteArray m_manifest;
    QByteArray m_archive;

    QProcessEnvironment environment() const {
        QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
        result.remove("QT_QPA_PLATFORM");
        result.remove("LANGUAGE");
        result.remove("no_proxy");
        result.remove("NO_PROXY");
        result.insert("HOME", m_home);
        result.insert("XDG_CONFIG_HOME", m_home + "/.config");
        result.insert("XDG_DATA_HOME", m_home + "/.local/share");
        result.insert("XDG_CACHE_HOME", m_home + "/.cache");
        result.insert("TMPDIR", m_dir.filePath("tmp"));
        result.insert("LANG", "zh_CN.UTF-8");
        result.insert("https_proxy", QStringLiteral("http://127.0.0.1:%1").arg(m_site->port()));
        result.insert("VELLORA_EXTRA_CA_CERTS", m_site->caCertificatePath());
        result.insert("QT_LOGGING_RULES", "vellora.updater*.info=true");
        return result;
    }

    bool package(const QString &version, const QString &build, const QString &key, const QString &output) {
        const TestSupport::ProcessResult result = TestSupport::run(
            TestSupport::sourceDir() + "/scripts/package",
            {version, build, "--key", key, "--from-build", TestSupport::binaryDir(), "--output", output, "--notes",
             "zh-Hans=" + m_dir.filePath("notes-zh-Hans.md"), "--notes", "en=" + m_dir.filePath("notes-en.md")},
            {}, environment(), 300000);
        if (result.exitCode != 0)
            qWarning("%s", result.standardError.constData());
        return result.finished && result.exitCode == 0;
    }

    void serve(const QString &folder) {
        m_manifest = readFile(folder + "/update.json");
        const QString zip = QDir(folder).entryList({"*.zip"}).value(0);
        m_archive = readFile(folder + "/" + zip);
    }

    QJsonObject installedInfo() const {
        return QJsonDocument::fromJson(readFile(m_installed + "/bundle.json")).object();
    }

    QStringList optEntries() const {
        return QDir(m_home + "/.local/opt").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The visible windows by title. xdotool's own --name search misses CJK
    // titles, so each window's name is read and compared here.
    static QMap<QString, QString> windowTitles() {
        QMap<QString, QString> titles;
        const TestSupport::ProcessResult search = TestSupport::run("xdotool", {"search", "--onlyvisible", "--name", "."});
        for (const QByteArray &id : search.standardOutput.split('\n')) {
            if (id.isEmpty())
                continue;
            const QString window = QString::fromLatin1(id);
            titles.insert(QString::fromUtf8(TestSupport::run("xdotool", {"getwindowname", window}).standardOutput.trimmed()),
                          window);
        }
        return titles;
    }

    // The window with exactly this title once it is on screen, else empty.
    static QString waitForTitle(const QString &title, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (const QString window = windowTitles().value(title); !window.isEmpty())
                return window;
            QTest::qWait(250);
        }
        return {};
    }

    // Presses Return in the window with exactly this title: its first button.
    static bool answer(const QString &title) {
        const QString window = waitForTitle(title, 60000);
        if (window.isEmpty() || !XSupport::xdotool({"windowfocus", "--sync", window}))
            return false;
        QTest::qWait(300);
        return XSupport::xdotool({"key", "--clearmodifiers", "Return"});
    }

    // The running application's output and the windows on screen, for a failure message.
    QByteArray appLog() const {
        return readFile(m_dir.filePath("app.log")).right(4000) + "windows: "
               + windowTitles().keys().join(" | ").toUtf8();
    }

    void startVersion1(QProcess &app) {
        // The automatic check announces a build once a day; each start here is a new day.
        QFile::remove(m_home + "/.config/Vellora/Vellora.conf");
        app.setProcessEnvironment(environment());
        app.setStandardOutputFile(m_dir.filePath("app.log"), QIODevice::Append);
        app.setStandardErrorFile(m_dir.filePath("app.log"), QIODevice::Append);
        app.start(m_installed + "/vellora", {});
        QVERIFY(app.waitForStarted());
    }

    void stop(QProcess &app) {
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            QVERIFY(app.waitForFinished(20000));
        }
    }

    // A refused update leaves version 1 as it was, and no work folder behind.
    void checkNothingChanged() {
        QCOMPARE(installedInfo().value("CFBundleVersion").toString(), "1");
        QCOMPARE(optEntries(), QStringList{"Vellora.app"});
        QCOMPARE(QDir(m_dir.filePath("tmp")).entryList({"vellora-update-*"}, QDir::Dirs), QStringList());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString testKey = qEnvironmentVariable("VELLORA_UPDATE_TEST_SIGNING_KEY");
        QVERIFY2(QFileInfo::exists(testKey), "the build's update test key is missing");
        m_home = m_dir.filePath("home");
        m_installed = m_home + "/.local/opt/Vellora.app";
        QVERIFY(QDir().mkpath(m_home) && QDir().mkpath(m_dir.filePath("tmp")));
        m_site = std::make_unique<HttpsTestServer>(HttpsTestServer::Mode::connectProxy,
                                                   QStringList{SiteHost, "vellora-quorvel.pages.dev"});
        QVERIFY2(m_site->isListening(), qPrintable(m_site->errorString()));
        m_site->setHandler([this](const HttpsTestServer::Request &request) {
            if (!request.tunnelTarget.startsWith(QByteArray(SiteHost.toUtf8() + ':')))
                return HttpsTestServer::reply(421, "not this site");
            if (request.path == "/downloads/update.json")
                return HttpsTestServer::reply(200, m_manifest);
            if (request.path.startsWith("/downloads/Vellora-"))
                return HttpsTestServer::reply(200, m_archive);
            return HttpsTestServer::reply(404, "not here");
        });

        QFile en(m_dir.filePath("notes-en.md"));
        QFile zh(m_dir.filePath("notes-zh-Hans.md"));
        QVERIFY(en.open(QIODevice::WriteOnly) && zh.open(QIODevice::WriteOnly));
        en.write("## Version 2\n\n- Faster recognition\n");
        zh.write("## 版本 2\n\n- 识别更快\n- 更新更稳\n");
        en.close();
        zh.close();
        QVERIFY(TestSupport::run("openssl", {"genpkey", "-algorithm", "ed25519", "-out", m_dir.filePath("other.pem")})
                    .exitCode == 0);

        QVERIFY(package("1.0", "1", testKey, m_dir.filePath("v1")));
        QVERIFY(package("2.0", "2", testKey, m_dir.filePath("v2")));
        QVERIFY(package("2.0", "2", m_dir.filePath("other.pem"), m_dir.filePath("v2-other")));
    }

    void theInstallScriptPutsVelloraIntoTheMenu() {
        const TestSupport::ProcessResult install = TestSupport::run(
            TestSupport::sourceDir() + "/scripts/install", {m_dir.filePath("v1/Vellora-1.0-1.zip")}, {}, environment());
        QVERIFY2(install.exitCode == 0, install.standardError.constData());
        QCOMPARE(installedInfo().value("CFBundleVersion").toString(), "1");
        QVERIFY(QFileInfo(m_installed + "/vellora").isExecutable());
        const QByteArray entry = readFile(m_home + "/.local/share/applications/vellora.desktop");
        QVERIFY(entry.contains(QByteArray("\nExec=\"" + m_installed.toUtf8() + "/vellora\"\n")));
        QVERIFY(entry.contains("\nIcon=vellora\n"));
        QVERIFY(QFileInfo::exists(m_home + "/.local/share/icons/hicolor/48x48/apps/vellora.png"));
        QVERIFY(QFileInfo::exists(m_home + "/.local/share/icons/hicolor/scalable/apps/vellora.svg"));
        QVERIFY(!QFileInfo::exists(m_home + "/.config/autostart/vellora.desktop"));
        QCOMPARE(optEntries(), QStringList{"Vellora.app"});
    }

    void anOldProcessThatNeverEndsChangesNothing() {
        QProcess old;
        old.start("sleep", {"120"});
        QVERIFY(old.waitForStarted());
        const TestSupport::ProcessResult helper = TestSupport::run(
            m_dir.filePath("v2/Vellora.app/vellora"),
            {"--native-update-helper", m_installed, QString::number(old.processId())}, {}, environment(), 60000);
        QVERIFY(helper.finished);
        QCOMPARE(helper.exitCode, 0);
        QCOMPARE(old.state(), QProcess::Running);
        checkNothingChanged();
        QVERIFY(QFileInfo::exists(m_dir.filePath("v2/Vellora.app/bundle.json")));
        QVERIFY(processesRunning(m_installed + "/vellora").isEmpty());
        old.kill();
        old.waitForFinished();
    }

    void refusedArchivesLeaveVersion1_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("tamper");
        QTest::addColumn<QString>("alert");
        QTest::newRow("tampered zip") << "v2" << true << "下载更新失败：更新包已损坏，请重新下载。";
        QTest::newRow("signed by another key") << "v2-other" << false
                                               << "下载更新失败：更新包未通过开发者签名或公证校验。";
    }

    void refusedArchivesLeaveVersion1() {
        QFETCH(QString, folder);
        QFETCH(bool, tamper);
        QFETCH(QString, alert);
        serve(m_dir.filePath(folder));
        if (tamper)
            m_archive[m_archive.size() / 3] = static_cast<char>(m_archive[m_archive.size() / 3] ^ 0x20);
        QProcess app;
        startVersion1(app);
        // The automatic check four seconds after launch announces version 2.
        QVERIFY2(answer("Vellora 2.0 可更新"), appLog().constData());
        QVERIFY2(!waitForTitle(alert, 120000).isEmpty(), appLog().constData());
        QCOMPARE(app.state(), QProcess::Running);
        stop(app);
        checkNothingChanged();
    }

    void version1UpdatesItselfToVersion2() {
        serve(m_dir.filePath("v2"));
        QProcess app;
        startVersion1(app);
        QVERIFY2(answer("Vellora 2.0 可更新"), appLog().constData());
        QVERIFY2(!waitForTitle("Vellora 2.0 已准备好", 120000).isEmpty(), appLog().constData());
        const qint64 version1 = app.processId();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(answer("Vellora 2.0 已准备好"));
        // Version 1 quits; the helper swaps the bundles and starts version 2.
        QTRY_VERIFY_WITH_TIMEOUT(app.state() == QProcess::NotRunning, 30000);
        // Running means launched: the new process has taken the hot key. What
        // ran is described as it stood at the deadline.
        QList<qint64> running;
        const bool launched = QTest::qWaitFor(
            [&] {
                running = applicationsRunning(m_installed + "/vellora");
                return running.size() == 1 && running.first() != version1 && hotKeyHeld();
            },
            60000);
        QVERIFY2(launched, qPrintable(processList(processesRunning(m_installed + "/vellora"), version1)
                                      + QStringLiteral("hot key held: %1\n").arg(hotKeyHeld())
                                      + QString::fromUtf8(appLog())));
        qInfo("restart pressed -> version 2 launched: %.2f s", clock.elapsed() / 1000.0);
        QCOMPARE(installedInfo().value("CFBundleVersion").toString(), "2");
        QCOMPARE(installedInfo().value("CFBundleShortVersionString").toString(), "2.0");
        QTest::qWait(1000);
        QCOMPARE(applicationsRunning(m_installed + "/vellora"), running);
        // The helper removes the old bundle once version 2 is started, which on a busy machine takes a while.
        QTRY_COMPARE_WITH_TIMEOUT(optEntries(), QStringList{"Vellora.app"}, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(QDir(m_dir.filePath("tmp")).entryList({"vellora-update-*"}, QDir::Dirs),
                                  QStringList(), 20000);
        // The helper has ended: version 2 is all that runs from the bundle.
        QTRY_COMPARE_WITH_TIMEOUT(runningButRecognition(m_installed + "/vellora"), running, 20000);
        QVERIFY(::kill(static_cast<pid_t>(running.first()), SIGTERM) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(processesRunning(m_installed + "/vellora").isEmpty(), 20000);
    }

    // A failed test can leave a version running from the installed bundle,
    // holding the hot key: the tests that run after this one in the same
    // session could not take it.
    void cleanup() {
        for (qint64 pid : processesRunning(m_installed + "/vellora"))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    void uninstallRemovesExactlyWhatWasInstalled() {
        QVERIFY(TestSupport::run(TestSupport::sourceDir() + "/scripts/install",
                                 {"--autostart", m_dir.filePath("v2/Vellora.app")}, {}, environment())
                    .exitCode == 0);
        QVERIFY(QFileInfo::exists(m_home + "/.config/autostart/vellora.desktop"));
        QFile other(m_home + "/.local/share/applications/other.desktop");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        QVERIFY(QDir().mkpath(m_home + "/.config/Vellora"));
        QVERIFY(TestSupport::run(TestSupport::sourceDir() + "/scripts/install", {"--uninstall"}, {}, environment())
                    .exitCode == 0);
        QVERIFY(!QFileInfo::exists(m_installed));
        QVERIFY(!QFileInfo::exists(m_home + "/.local/share/applications/vellora.desktop"));
        QVERIFY(!QFileInfo::exists(m_home + "/.config/autostart/vellora.desktop"));
        QVERIFY(!QFileInfo::exists(m_home + "/.local/share/icons/hicolor/48x48/apps/vellora.png"));
        QVERIFY(other.exists());
        QVERIFY(QFileInfo::exists(m_home + "/.config/Vellora"));
    }
};

QTEST_GUILESS_MAIN(TestSelfUpdate)
#include "TestSelfUpdate.moc"

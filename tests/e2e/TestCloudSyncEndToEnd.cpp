// Two machines sharing their settings, played by two instances of the real
// application on the session's X server: each with its own settings, runtime
// and data folders, both pointed at one cloud folder through
// VELLORA_CLOUD_DRIVE. Their settings windows are read and driven through the
// accessibility bus, as an assistive tool would; their preferences are read
// from their own settings files.
#include "AccessibilityBus.h"
#include "KeyringTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const KeyringTestSupport::Attributes keyItem{{"service", "quorvel.vellora.ai"}, {"account", "openai-compatible-key"}};
constexpr char SecretKey[] = "sk-e2e-never-in-the-file-7f3a";

const QByteArray InitialFile =
    "{\"version\":1,\"aiBaseURL\":\"https:\\/\\/api.deepseek.com\\/v1\",\"aiModel\":\"shared-model\","
    "\"polishPrompt\":\"Fix typos only.\",\"hideMenuBarIcon\":false,\"hideDockIcon\":true,"
    "\"shortcut\":{\"keyCode\":19,\"modifiers\":4864,\"label\":\"2\"},\"colorMode\":\"light\",\"language\":\"en\","
    "\"accentPalette\":\"forest\"}";

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One machine: its folders, its process and its window on the accessibility bus.
struct Machine {
    QString name;
    QString home;
    QProcess process;
    std::optional<AccessibilityBus::Node> root;

    QString settingsFile() const { return home + "/config/Vellora/Vellora.conf"; }

    // A preference as this machine's settings file holds it.
    QVariant preference(const QString &key) const {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        return settings.value(key);
    }
};

} // namespace

class TestCloudSyncEndToEnd final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    AccessibilityBus m_accessibility;
    Machine m_machines[2];

    QString cloudFile() const { return m_dir.filePath("cloud/Vellora/config.json"); }

    void start(Machine &machine, const QString &name) {
        machine.name = name;
        machine.home = m_dir.filePath(name);
        for (const char *folder : {"config/Vellora", "runtime", "data"})
            QVERIFY(QDir().mkpath(machine.home + '/' + folder));
        QVERIFY(
            QFile::setPermissions(machine.home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        {
            QFile settings(machine.settingsFile());
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write("[General]\nlanguage=en\niCloudSyncEnabled=true\n");
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("XDG_CONFIG_HOME", machine.home + "/config");
        environment.insert("XDG_RUNTIME_DIR", machine.home + "/runtime");
        environment.insert("XDG_DATA_HOME", machine.home + "/data");
        environment.insert("VELLORA_CLOUD_DRIVE", m_dir.filePath("cloud"));
        AccessibilityBus::addTo(environment);
        machine.process.setProcessEnvironment(environment);
        machine.process.setProcessChannelMode(QProcess::ForwardedChannels);
        machine.process.start(TestSupport::velloraExecutable(), {"--open-settings"});
        QVERIFY(machine.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT((machine.root = m_accessibility.application(machine.process.processId())), 60000);
    }

    // The labels of a machine's settings window.
    QStringList labels(Machine &machine) { return m_accessibility.names(*machine.root, AccessibilityBus::LabelRole); }

    bool showsStatus(Machine &machine, const QString &status) { return labels(machine).contains(status); }

    void verifyNoKeyInTheFile() {
        const QByteArray file = contents(cloudFile());
        QVERIFY(!file.isEmpty());
        QVERIFY2(!file.contains(SecretKey), file.constData());
        QVERIFY(!file.contains("sk-"));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_accessibility.connect());
        KeyringTestSupport::clear(keyItem);
        QVERIFY(KeyringTestSupport::store(keyItem, SecretKey));
        QVERIFY(QDir().mkpath(m_dir.filePath("cloud/Vellora")));
        QFile file(cloudFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(InitialFile);
    }

    void cleanupTestCase() {
        for (Machine &machine : m_machines) {
            if (machine.process.state() != QProcess::NotRunning) {
                machine.process.terminate();
                machine.process.waitForFinished(20000);
            }
        }
        KeyringTestSupport::clear(keyItem);
    }

    // Both launch with sync on and take the file's settings.
    void bothStartFromTheFile() {
        start(m_machines[0], "first");
        start(m_machines[1], "second");
        for (Machine &machine : m_machines) {
            QTRY_VERIFY_WITH_TIMEOUT(showsStatus(machine, "Synced from the cloud drive"), 20000);
            QTRY_COMPARE(machine.preference("aiModel").toString(), "shared-model");
            QCOMPARE(machine.preference("accentPalette"), QVariant());
            QCOMPARE(machine.preference("vellora.accentPalette").toString(), "forest");
        }
        QCOMPARE(contents(cloudFile()), InitialFile);
    }

    // A switch turned in the first machine's settings window reaches the
    // second machine's preferences within two seconds.
    void aChangeInOneWindowReachesTheOther() {
        Machine &first = m_machines[0];
        Machine &second = m_machines[1];
        // Shown (the default, so not stored) on both until the switch is turned.
        QCOMPARE(second.preference("hideDockIcon"), QVariant());
        const std::optional<AccessibilityBus::Node> toggle =
            m_accessibility.find(*first.root, [](const QString &name, quint32 role) {
                return name == "Hide taskbar entry" && role != AccessibilityBus::LabelRole;
            });
        QVERIFY(toggle);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(m_accessibility.press(*toggle));
        QTRY_COMPARE_WITH_TIMEOUT(second.preference("hideDockIcon").toString(), QString("false"), 2000);
        qInfo("the change reached the other machine after %lld ms", clock.elapsed());
        QCOMPARE(first.preference("hideDockIcon").toString(), "false");
        QVERIFY(contents(cloudFile()).contains("\"hideDockIcon\":false"));
        QTRY_VERIFY(showsStatus(first, "Synced to the cloud drive"));
        QTRY_VERIFY(showsStatus(second, "Synced from the cloud drive"));
        verifyNoKeyInTheFile();
    }

    // The file edited by hand in a text editor (rewritten in place, laid out
    // its own way) shows up in both.
    void aHandEditShowsUpInBoth() {
        QByteArray edited = contents(cloudFile());
        edited.replace("\"aiModel\":\"shared-model\"", "\"aiModel\": \"edited-by-hand\"");
        edited.replace(",\"", ",\n  \"");
        QFile file(cloudFile());
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
        QCOMPARE(file.write(edited), edited.size());
        file.close();
        for (Machine &machine : m_machines)
            QTRY_COMPARE_WITH_TIMEOUT(machine.preference("aiModel").toString(), QString("edited-by-hand"), 5000);
        // Applying a change never writes it back.
        QTest::qWait(1000);
        QCOMPARE(contents(cloudFile()), edited);
        verifyNoKeyInTheFile();
    }

    // A conflict copy beside the file turns both status lines to the
    // conflict, and neither machine overwrites anything.
    void aConflictCopyStopsBoth() {
        const QByteArray before = contents(cloudFile());
        const QString copy = m_dir.filePath("cloud/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json");
        QByteArray other = before;
        other.replace("edited-by-hand", "from-a-third-machine");
        {
            QFile file(copy);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(other);
        }
        const QString conflict =
            "Cloud sync paused: The file has conflicting copies; keep one in your file manager.";
        for (Machine &machine : m_machines)
            QTRY_VERIFY_WITH_TIMEOUT(showsStatus(machine, conflict), 5000);
        QTest::qWait(1000);
        QCOMPARE(contents(cloudFile()), before);
        QCOMPARE(contents(copy), other);
        for (Machine &machine : m_machines)
            QCOMPARE(machine.preference("aiModel").toString(), "edited-by-hand");
    }

    // Both end cleanly. The first quits right after a change, inside the
    // pause before its write: the change is written on the way out.
    void quittingInsideThePauseStillWrites() {
        // The conflict is resolved first (the copy is the one to keep).
        const QString copy = m_dir.filePath("cloud/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json");
        QVERIFY(QFile::remove(cloudFile()));
        QVERIFY(QFile::rename(copy, cloudFile()));
        for (Machine &machine : m_machines)
            QTRY_COMPARE_WITH_TIMEOUT(machine.preference("aiModel").toString(), QString("from-a-third-machine"), 5000);

        Machine &first = m_machines[0];
        const std::optional<AccessibilityBus::Node> toggle =
            m_accessibility.find(*first.root, [](const QString &name, quint32 role) {
                return name == "Hide tray icon" && role != AccessibilityBus::LabelRole;
            });
        QVERIFY(toggle);
        QVERIFY(m_accessibility.press(*toggle));
        first.process.terminate();
        QVERIFY(first.process.waitForFinished(20000));
        QVERIFY(contents(cloudFile()).contains("\"hideMenuBarIcon\":true"));
        for (Machine &machine : m_machines) {
            if (machine.process.state() != QProcess::NotRunning) {
                machine.process.terminate();
                QVERIFY(machine.process.waitForFinished(20000));
            }
            QCOMPARE(machine.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(machine.process.exitCode(), 0);
        }
        verifyNoKeyInTheFile();
    }
};

QTEST_GUILESS_MAIN(TestCloudSyncEndToEnd)
#include "TestCloudSyncEndToEnd.moc"

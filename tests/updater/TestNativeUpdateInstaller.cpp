#include "NativeUpdateInstaller.h"

#include "BundleSignature.h"
#include "NativeUpdateHelper.h"
#include "UpdateBundles.h"
#include "UpdaterLocalization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// The installer's checks on archives made at test time, and the helper's wait
// and swap on real folders.
class TestNativeUpdateInstaller final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_temporary;
    BundleSignature::KeyPair m_team;
    BundleSignature::KeyPair m_other;

    NativeUpdateConfiguration configuration() const {
        return NativeUpdateConfiguration("vellora", "Vellora", "quorvel.vellora", "K7Q2W9X4ZP",
                                         QUrl("https://vellora.quorvel.app/downloads/update.json"),
                                         {"vellora.quorvel.app"}, true, {m_team.publicKey});
    }

    QStringList workFolders() const {
        return QDir(m_temporary).entryList({"vellora-update-*"}, QDir::Dirs | QDir::Hidden);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // Work folders go to a temporary folder of this test's own, to be counted.
        m_temporary = m_dir.filePath("tmp");
        QVERIFY(QDir().mkpath(m_temporary));
        qputenv("TMPDIR", QFile::encodeName(m_temporary));
        QCOMPARE(QDir::tempPath(), m_temporary);
        m_team = BundleSignature::generate();
        m_other = BundleSignature::generate();
        QCOMPARE(m_team.publicKey.size(), 32);
    }

    void everyArchiveGetsItsVerdict_data() {
        const QString cases = m_dir.filePath("cases");
        QDir().mkpath(cases);
        UpdateBundles::addArchiveRows(cases, m_team.secretKey, m_other.secretKey);
    }

    void everyArchiveGetsItsVerdict() {
        QFETCH(UpdateBundles::ArchiveCase, row);
        using Outcome = UpdateBundles::ArchiveCase::Outcome;
        NativeUpdateManifest manifest;
        manifest.schemaVersion = 1;
        manifest.product = "vellora";
        manifest.version = row.version;
        manifest.build = row.build.toLongLong();
        manifest.sha256 = row.sha256;

        const Result<QString> staged = NativeUpdateInstaller::prepare(row.archive, manifest, configuration());
        if (row.outcome == Outcome::passes) {
            QVERIFY2(staged.ok(), qPrintable(staged.ok() ? QString() : staged.error().description));
            const QFileInfo application(staged.value());
            QCOMPARE(application.fileName(), "Vellora.app");
            QVERIFY(application.path().startsWith(m_temporary + "/vellora-update-"));
            // The work folder is the user's alone, and holds the archive it came from.
            QCOMPARE(QFileInfo(application.path()).permissions() & 0x0077, QFile::Permissions());
            QVERIFY(QFileInfo::exists(application.path() + "/update.zip"));
            QVERIFY(QFileInfo(staged.value() + "/vellora").isExecutable());
            QVERIFY(QDir(application.path()).removeRecursively());
        } else {
            QVERIFY(!staged.ok());
            QCOMPARE(staged.error().domain, NativeUpdateInstaller::FailureDomain);
            const auto failure = row.outcome == Outcome::invalidArchive ? NativeUpdateInstaller::Failure::invalidArchive
                                                                     : NativeUpdateInstaller::Failure::invalidApplication;
            QCOMPARE(staged.error().code, qint64(failure));
            QCOMPARE(staged.error().description, updaterCopy(NativeUpdateInstaller::failureKey(failure), QStringList{"en"}));
        }
        // Nothing is left behind, and nothing escaped the work folder.
        QCOMPARE(workFolders(), QStringList());
        QVERIFY(!QFileInfo::exists(m_temporary + "/vellora-zip-slip"));
        QVERIFY(!QFileInfo::exists("/tmp/vellora-absolute-entry"));
    }

    void theHelperStartsFromTheStagedBundle() {
        QVERIFY(!NativeUpdateInstaller::launchHelper(m_dir.filePath("nowhere.app"), "/x").ok());
        QCOMPARE(NativeUpdateInstaller::launchHelper(m_dir.filePath("nowhere.app"), "/x").error().code,
                 qint64(NativeUpdateInstaller::Failure::invalidApplication));
    }

    void theHelperDeclinesOtherArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString helper = "--native-update-helper";
        QTest::newRow("three") << QStringList{"vellora", helper, "/opt/Vellora.app"};
        QTest::newRow("five") << QStringList{"vellora", helper, "/opt/Vellora.app", "12", "x"};
        QTest::newRow("pid 0") << QStringList{"vellora", helper, "/opt/Vellora.app", "0"};
        QTest::newRow("pid -5") << QStringList{"vellora", helper, "/opt/Vellora.app", "-5"};
        QTest::newRow("letters after the digits") << QStringList{"vellora", helper, "/opt/Vellora.app", "12ab"};
        QTest::newRow("past 32 bits") << QStringList{"vellora", helper, "/opt/Vellora.app", "4294967297"};
        QTest::newRow("another flag") << QStringList{"vellora", "--native-update-helpers", "/opt/Vellora.app", "12"};
    }

    void theHelperDeclinesOtherArguments() {
        QFETCH(QStringList, arguments);
        QVERIFY(!NativeUpdateHelper::runIfRequested(arguments));
    }

    void theHelperWaitsForTheOldProcess() {
        QProcess quick;
        quick.start("sleep", {"0.3"});
        QVERIFY(quick.waitForStarted());
        // The child ends while nobody collects it: a zombie has gone too.
        QVERIFY(NativeUpdateHelper::waitForExit(static_cast<pid_t>(quick.processId()),
                                                {200, std::chrono::microseconds(20000)}));
        quick.waitForFinished();

        QProcess stubborn;
        stubborn.start("sleep", {"30"});
        QVERIFY(stubborn.waitForStarted());
        const auto stubbornPid = static_cast<pid_t>(stubborn.processId());
        QVERIFY(!NativeUpdateHelper::waitForExit(stubbornPid, {5, std::chrono::microseconds(10000)}));
        stubborn.kill();
        stubborn.waitForFinished();
        // Only a process that does not exist has gone: pid 1 exists, though it is not ours to signal.
        QVERIFY(NativeUpdateHelper::isRunning(1));
        QVERIFY(!NativeUpdateHelper::isRunning(stubbornPid));
    }

    void theSwapKeepsOneWholeBundleInPlace_data() {
        QTest::addColumn<bool>("sourceExists");
        QTest::addColumn<bool>("relaunchSucceeds");
        QTest::addColumn<QString>("installedAfter"); // whose marker is installed afterwards
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("swapped and relaunched") << true << true << "new" << true;
        QTest::newRow("no staged bundle: the old one comes back") << false << true << "old" << false;
        QTest::newRow("the relaunch fails: the old one comes back") << true << false << "old" << false;
    }

    void theSwapKeepsOneWholeBundleInPlace() {
        QFETCH(bool, sourceExists);
        QFETCH(bool, relaunchSucceeds);
        QFETCH(QString, installedAfter);
        QFETCH(bool, succeeds);
        QTemporaryDir dir;
        const QString installed = dir.filePath("opt/Vellora.app");
        const QString staged = dir.filePath("work/Vellora.app");
        QVERIFY(QDir().mkpath(installed) && QDir().mkpath(dir.filePath("work")));
        QVERIFY(UpdateBundles::write(installed + "/marker", "old"));
        if (sourceExists) {
            QVERIFY(QDir().mkpath(staged));
            QVERIFY(UpdateBundles::write(staged + "/marker", "new"));
        }
        QStringList relaunched;
        const Result<void> swapped = NativeUpdateHelper::replaceApplication(staged, installed, [&](const QString &path) -> Result<void> {
            relaunched.append(path);
            if (!relaunchSucceeds)
                return Error{"test", 1, "no start"};
            return {};
        });
        QCOMPARE(swapped.ok(), succeeds);
        QFile marker(installed + "/marker");
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(marker.readAll()), installedAfter);
        // No backup is left beside it.
        QCOMPARE(QDir(dir.filePath("opt")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Vellora.app"});
        QCOMPARE(relaunched, sourceExists ? QStringList{installed} : QStringList());
    }

    void aMissingInstalledBundleChangesNothing() {
        QTemporaryDir dir;
        const QString staged = dir.filePath("work/Vellora.app");
        QVERIFY(QDir().mkpath(staged));
        bool relaunched = false;
        const Result<void> swapped = NativeUpdateHelper::replaceApplication(
            staged, dir.filePath("opt/Vellora.app"), [&](const QString &) -> Result<void> {
                relaunched = true;
                return {};
            });
        QVERIFY(!swapped.ok());
        QVERIFY(!relaunched);
        QVERIFY(QFileInfo::exists(staged));
    }
};

QTEST_GUILESS_MAIN(TestNativeUpdateInstaller)
#include "TestNativeUpdateInstaller.moc"

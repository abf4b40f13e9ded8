// `vellora --verify-update-archive ARCHIVE VERSION BUILD SHA256` on the table
// of archives: the real binary, its exact output and exit status. The archives
// are signed with this build's test key (and one other key it does not trust).
#include "BundleSignature.h"
#include "TestSupport.h"
#include "UpdateBundles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Passed = "UPDATE VERIFY PASS: checksum, app identity, Developer ID signature and notarization\n";

} // namespace

class TestUpdateArchiveVerification final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QProcessEnvironment environment() const {
        QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
        result.insert("TMPDIR", m_dir.filePath("tmp"));
        return result;
    }

    QStringList workFolders() const {
        return QDir(m_dir.filePath("tmp")).entryList({"vellora-update-*"}, QDir::Dirs);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath("tmp")));
    }

    void everyArchiveGetsItsAnswer_data() {
        const Result<QByteArray> team =
            BundleSignature::readSecretKey(qEnvironmentVariable("VELLORA_UPDATE_TEST_SIGNING_KEY"));
        QVERIFY2(team.ok(), "the build's update test key is missing");
        const QString folder = m_dir.filePath("cases");
        QDir().mkpath(folder);
        UpdateBundles::addArchiveRows(folder, team.value(), BundleSignature::generate().secretKey);
    }

    void everyArchiveGetsItsAnswer() {
        QFETCH(UpdateBundles::ArchiveCase, row);
        const QString archive = m_dir.filePath("archive.zip");
        QVERIFY(UpdateBundles::write(archive, row.archive));
        using Outcome = UpdateBundles::ArchiveCase::Outcome;
        const TestSupport::ProcessResult result = TestSupport::runVellora(
            {"--verify-update-archive", archive, row.version, row.build, row.sha256}, {}, environment());
        QVERIFY(result.finished);
        if (row.outcome == Outcome::passes) {
            QCOMPARE(result.standardOutput, Passed);
            QCOMPARE(result.standardError, QByteArray());
            QCOMPARE(result.exitCode, 0);
        } else {
            // The build runs from no bundle, so it speaks English.
            const QByteArray reason = row.outcome == Outcome::invalidArchive
                                          ? "The update archive is damaged. Download it again."
                                          : "The update failed developer signature or notarization verification.";
            QCOMPARE(result.standardError, "UPDATE VERIFY FAILED: " + reason + '\n');
            QCOMPARE(result.standardOutput, QByteArray());
            QCOMPARE(result.exitCode, 1);
        }
        QCOMPARE(workFolders(), QStringList());
    }

    void operandsThatCannotBeRead() {
        const QString sha(64, 'a');
        TestSupport::ProcessResult result =
            TestSupport::runVellora({"--verify-update-archive", m_dir.filePath("missing.zip"), "2.0", "2", sha}, {},
                                    environment());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardError, "UPDATE VERIFY FAILED: No such file or directory\n");
        result = TestSupport::runVellora({"--verify-update-archive", m_dir.filePath("missing.zip"), "2.0", "2x", sha},
                                         {}, environment());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardError, "UPDATE VERIFY FAILED: The update archive is damaged. Download it again.\n");
    }
};

QTEST_GUILESS_MAIN(TestUpdateArchiveVerification)
#include "TestUpdateArchiveVerification.moc"

// The guarded configuration file on real files: the order of the read checks,
// the guard of a write, replace with its backup, the size limit, conflict
// copies of every sync client, the lock, and two processes writing the same
// file through their own repositories without ever losing a change unseen.
#include "FileLock.h"
#include "SecureConfigurationRepository.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr char WriterVariable[] = "VELLORA_TEST_CONFIGURATION_WRITER";

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool put(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// "ok", the SecureConfigurationError's name, or "POSIX <errno>".
QString outcome(const Error &error) {
    if (const auto known = SecureConfiguration::errorCase(error)) {
        switch (*known) {
        case SecureConfigurationError::externalChange:
            return "externalChange";
        case SecureConfigurationError::conflict:
            return "conflict";
        case SecureConfigurationError::unavailable:
            return "unavailable";
        case SecureConfigurationError::tooLarge:
            return "tooLarge";
        }
    }
    return error.domain + ' ' + QString::number(error.code);
}

template <typename T> QString outcome(const Result<T> &result) {
    return result ? QStringLiteral("ok") : outcome(result.error());
}

// The bytes a content letter stands for in the scenario table.
QByteArray content(const QString &letter) {
    return "{\"version\":1,\"content\":\"" + letter.toUtf8() + "\"}";
}

// One of two processes writing the same file in turn: each round writes a new
// content naming the content it was written over; a refused write reads the
// file again. Prints "landed <id> <parent>" or "refused <id>" for every round.
// Starts writing when "go" arrives on its input, so that both writers run
// together, and pauses up to 6 ms between rounds (about as long as a write
// holds the lock), so that the other comes in between as often as not.
int runWriter(const QString &name, const QString &path, int rounds) {
    SecureConfigurationRepository repository(path, 30s);
    const auto idOf = [](const QByteArray &bytes) {
        return bytes.split(' ').value(0);
    };
    Result<QByteArray> seen = repository.read();
    if (!seen) {
        std::fprintf(stderr, "first read: %s\n", qPrintable(seen.error().description));
        return 1;
    }
    QByteArray parent = idOf(seen.value());
    char go[8] = {};
    if (!std::fgets(go, sizeof go, stdin)) {
        std::fprintf(stderr, "no start signal\n");
        return 1;
    }
    for (int round = 0; round < rounds; ++round) {
        if (round > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(6000)));
        const QByteArray id = name.toUtf8() + '-' + QByteArray::number(round);
        const Result<void> written = repository.write(id + ' ' + parent);
        if (written) {
            std::printf("landed %s %s\n", id.constData(), parent.constData());
            parent = id;
            continue;
        }
        if (SecureConfiguration::errorCase(written.error()) != SecureConfigurationError::externalChange) {
            std::fprintf(stderr, "write: %s\n", qPrintable(written.error().description));
            return 1;
        }
        std::printf("refused %s\n", id.constData());
        seen = repository.read();
        if (!seen) {
            std::fprintf(stderr, "read: %s\n", qPrintable(seen.error().description));
            return 1;
        }
        parent = idOf(seen.value());
    }
    return 0;
}

} // namespace

class TestSecureConfigurationRepository final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_case = 0;

    // A fresh folder for each case, and the configuration file's path in it.
    QString freshFile(const QString &name = "config.json") {
        const QString folder = m_dir.filePath(QString::number(++m_case));
        QDir().mkpath(folder);
        return QDir(folder).filePath(name);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Sequences of the repository's operations and of other programs' changes,
    // with what each gives, the file afterwards and the final revision.
    // Steps: "write X", "replace X", "read", "adopt X", "isCurrent X" (its
    // answer as the outcome), "external X" (another program writes X),
    // "delete" (another program deletes the file).
    void operationSequences_data() {
        QTest::addColumn<QString>("initial");   // a letter, or "" for no file
        QTest::addColumn<QStringList>("steps"); // "<step> = <outcome>"
        QTest::addColumn<QString>("final");     // the file's letter, or "" for none
        QTest::addColumn<qint64>("revision");

        QTest::newRow("a new repository creates the missing file")
            << "" << QStringList{"write A = ok"} << "A" << qint64(1);
        QTest::newRow("a new repository does not overwrite an existing file")
            << "A" << QStringList{"write B = externalChange", "read = ok", "write B = ok"} << "B" << qint64(2);
        QTest::newRow("a changed byte is an external change until it is adopted")
            << "A" << QStringList{"read = ok",           "external C",         "write B = externalChange",
                                  "isCurrent C = false", "isCurrent A = true", "adopt C = ok",
                                  "write B = ok"}
            << "B" << qint64(3);
        QTest::newRow("a file deleted elsewhere is an external change")
            << "A" << QStringList{"read = ok", "delete", "write B = externalChange"} << "" << qint64(1);
        QTest::newRow("own writes follow each other")
            << "" << QStringList{"write A = ok", "write B = ok", "write C = ok"} << "C" << qint64(3);
        QTest::newRow("nothing read: not current, even for empty bytes")
            << "A" << QStringList{"isCurrent  = false", "isCurrent A = false"} << "A" << qint64(0);
        QTest::newRow("adopting empty bytes expects an empty file")
            << "" << QStringList{"adopt  = ok", "isCurrent  = true", "write A = externalChange"} << "" << qint64(1);
        QTest::newRow("replace ignores foreign changes and guards from there")
            << "A" << QStringList{"replace B = ok", "write C = ok", "external D", "write E = externalChange"} << "D"
            << qint64(2);
        QTest::newRow("replace creates a missing file")
            << "" << QStringList{"replace A = ok", "isCurrent A = true"} << "A" << qint64(1);
        QTest::newRow("a failed read changes nothing")
            << "" << QStringList{"read = POSIX 2", "write A = ok"} << "A" << qint64(1);
    }

    void operationSequences() {
        QFETCH(QString, initial);
        QFETCH(QStringList, steps);
        QFETCH(QString, final);
        QFETCH(qint64, revision);
        const QString path = freshFile();
        if (!initial.isEmpty())
            QVERIFY(put(path, content(initial)));
        SecureConfigurationRepository repository(path);
        for (const QString &step : steps) {
            const QString action = step.section(" = ", 0, 0);
            const QString expected = step.section(" = ", 1);
            const QString operation = action.section(' ', 0, 0);
            const QByteArray bytes = action.contains(' ') && !action.section(' ', 1).isEmpty()
                                         ? content(action.section(' ', 1))
                                         : QByteArray();
            const qint64 before = repository.revision();
            QString got;
            if (operation == "write")
                got = outcome(repository.write(bytes));
            else if (operation == "replace")
                got = outcome(repository.replace(bytes));
            else if (operation == "read")
                got = outcome(repository.read());
            else if (operation == "adopt")
                got = outcome(repository.adopt(bytes));
            else if (operation == "isCurrent")
                got = repository.isCurrent(bytes) ? "true" : "false";
            else if (operation == "external")
                QVERIFY(put(path, bytes));
            else if (operation == "delete")
                QVERIFY(QFile::remove(path));
            else
                QFAIL(qPrintable("unknown step " + step));
            QCOMPARE(got, expected);
            // Only a successful read, adopt, write or replace moves the revision, by one.
            const bool moves = got == "ok" && operation != "isCurrent";
            QCOMPARE(repository.revision(), before + (moves ? 1 : 0));
        }
        QCOMPARE(contents(path), final.isEmpty() ? QByteArray("<missing>") : content(final));
        QCOMPARE(repository.revision(), revision);
    }

    // readData checks the lock, then conflict copies, then the size, then
    // reads; the first failure is the answer.
    void readChecksInOrder_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a plain file") << "file"
                                      << "ok";
        QTest::newRow("no file") << ""
                                 << "POSIX 2";
        QTest::newRow("no folder") << "unfoldered"
                                   << "POSIX 2";
        QTest::newRow("a folder where the file should be") << "folder"
                                                           << "POSIX 21";
        QTest::newRow("a conflict copy beside it") << "file conflict"
                                                   << "conflict";
        QTest::newRow("a conflict copy but no file") << "conflict"
                                                     << "conflict";
        QTest::newRow("too large") << "large"
                                   << "tooLarge";
        QTest::newRow("conflicted and too large: the conflict") << "large conflict"
                                                                << "conflict";
        QTest::newRow("another holder keeps the lock") << "file locked"
                                                       << "unavailable";
        QTest::newRow("locked and conflicted: the lock") << "file conflict locked"
                                                         << "unavailable";
    }

    void readChecksInOrder() {
        QFETCH(QString, setup);
        QFETCH(QString, expected);
        QString path = freshFile();
        const QStringList parts = setup.split(' ', Qt::SkipEmptyParts);
        if (parts.contains("unfoldered"))
            path = QDir(QFileInfo(path).absolutePath()).filePath("missing/config.json");
        if (parts.contains("file"))
            QVERIFY(put(path, "{}"));
        if (parts.contains("folder"))
            QVERIFY(QDir().mkpath(path));
        if (parts.contains("large")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(SecureConfigurationRepository::maximumSize + 1));
        }
        if (parts.contains("conflict"))
            QVERIFY(put(QFileInfo(path).absolutePath() + "/config.sync-conflict-20240101-101010-ABCDEFG.json", "{}"));
        std::optional<FileLock> held;
        if (parts.contains("locked")) {
            Result<std::optional<FileLock>> lock =
                FileLock::lockDirectory(QFileInfo(path).absolutePath(), FileLock::Mode::Exclusive, 1s);
            QVERIFY(lock && lock.value());
            held = std::move(lock.value());
        }
        const Result<QByteArray> data = SecureConfigurationRepository::readData(path, 150ms);
        QCOMPARE(outcome(data), expected);
        if (data)
            QCOMPARE(data.value(), QByteArray("{}"));
    }

    // Readers share the lock: a held shared lock does not keep a read out,
    // while it keeps a write out (unavailable) and leaves the file untouched.
    void readersShareTheLockWritersWait() {
        const QString path = freshFile();
        QVERIFY(put(path, content("A")));
        Result<std::optional<FileLock>> shared =
            FileLock::lockDirectory(QFileInfo(path).absolutePath(), FileLock::Mode::Shared, 1s);
        QVERIFY(shared && shared.value());
        SecureConfigurationRepository repository(path, 150ms);
        QCOMPARE(outcome(repository.read()), "ok");
        QCOMPARE(outcome(repository.write(content("B"))), "unavailable");
        QCOMPARE(outcome(repository.replace(content("B"))), "unavailable");
        QCOMPARE(repository.revision(), qint64(1));
        shared.value().reset();
        QCOMPARE(outcome(repository.write(content("B"))), "ok");
        QCOMPARE(contents(path), content("B"));
    }

    // The limit is 5,000,000 bytes, decimal, inclusive.
    void sizeLimit_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("expected");
        const qint64 limit = SecureConfigurationRepository::maximumSize;
        QTest::newRow("read at the limit") << "read" << limit << "ok";
        QTest::newRow("read one over") << "read" << limit + 1 << "tooLarge";
        QTest::newRow("adopt at the limit") << "adopt" << limit << "ok";
        QTest::newRow("adopt one over") << "adopt" << limit + 1 << "tooLarge";
        QTest::newRow("write at the limit") << "write" << limit << "ok";
        QTest::newRow("write one over") << "write" << limit + 1 << "tooLarge";
        QTest::newRow("replace has no limit") << "replace" << limit + 1 << "ok";
    }

    void sizeLimit() {
        QFETCH(QString, operation);
        QFETCH(qint64, size);
        QFETCH(QString, expected);
        // Writes go to a folder that does not exist yet: a refused write must not create it.
        QString path = freshFile();
        const QByteArray bytes(size, 'x');
        if (operation == "read")
            QVERIFY(put(path, bytes));
        else
            path = QDir(QFileInfo(path).absolutePath()).filePath("new/config.json");
        SecureConfigurationRepository repository(path);
        QString got;
        if (operation == "read")
            got = outcome(repository.read());
        else if (operation == "adopt")
            got = outcome(repository.adopt(bytes));
        else if (operation == "write")
            got = outcome(repository.write(bytes));
        else
            got = outcome(repository.replace(bytes));
        QCOMPARE(got, expected);
        QCOMPARE(repository.revision(), qint64(got == "ok" ? 1 : 0));
        if (operation == "write" || operation == "replace") {
            QCOMPARE(QFileInfo::exists(QFileInfo(path).absolutePath()), got == "ok");
            if (got == "ok")
                QCOMPARE(QFileInfo(path).size(), size);
        }
    }

    // A file that grew over the limit on disk is not what a write expects.
    void writeOverAFileTooLargeIsAnExternalChange() {
        const QString path = freshFile();
        QVERIFY(put(path, content("A")));
        SecureConfigurationRepository repository(path);
        QVERIFY(repository.read());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(SecureConfigurationRepository::maximumSize + 10));
        file.close();
        QCOMPARE(outcome(repository.write(content("B"))), "externalChange");
        QCOMPARE(QFileInfo(path).size(), SecureConfigurationRepository::maximumSize + 10);
    }

    // A conflict copy keeps a guarded write out (the file stays as it was);
    // replace is the user's explicit choice and goes ahead.
    void conflictCopiesStopGuardedWrites() {
        const QString path = freshFile();
        QVERIFY(put(path, content("A")));
        SecureConfigurationRepository repository(path);
        QVERIFY(repository.read());
        const QString copy = QFileInfo(path).absolutePath() + "/config (conflicted copy 2024-05-01 101010).json";
        QVERIFY(put(copy, content("B")));
        QCOMPARE(outcome(repository.write(content("C"))), "conflict");
        QCOMPARE(contents(path), content("A"));
        QCOMPARE(repository.revision(), qint64(1));
        QCOMPARE(outcome(repository.replace(content("C"))), "ok");
        QCOMPARE(contents(copy), content("B"));
        QVERIFY(QFile::remove(copy));
        QCOMPARE(outcome(repository.write(content("D"))), "ok");
    }

    void conflictCopyNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("conflict");
        QTest::newRow("Syncthing") << "config.sync-conflict-20240101-101010-ABCDEFG.json" << true;
        QTest::newRow("Syncthing, upper case") << "CONFIG.SYNC-CONFLICT-20240101-101010-ABCDEFG.JSON" << true;
        QTest::newRow("Nextcloud") << "config (conflicted copy 2024-01-01 101010).json" << true;
        QTest::newRow("Nextcloud, capitalised") << "Config (Conflicted Copy 2024-01-01 101010).JSON" << true;
        QTest::newRow("Nextcloud, newer form") << "config_conflict-20240101-101010.json" << true;
        QTest::newRow("ownCloud") << "config_conflict-20240101-101010.json" << true;
        QTest::newRow("Dropbox") << "config (Jane's conflicted copy 2024-01-01).json" << true;
        QTest::newRow("Dropbox, other device") << "config (MacBook Pro's conflicted copy 2024-01-01 (1)).json" << true;
        QTest::newRow("the file itself") << "config.json" << false;
        QTest::newRow("another file's conflict") << "settings.sync-conflict-20240101-101010-ABCDEFG.json" << false;
        QTest::newRow("another extension") << "config.sync-conflict-20240101-101010-ABCDEFG.txt" << false;
        QTest::newRow("a backup") << "config.json.bak" << false;
        QTest::newRow("an atomic write's temporary file") << "config.json.AbCdEf" << false;
        QTest::newRow("a download placeholder") << ".config.json.icloud" << false;
        QTest::newRow("a longer name") << "config2.sync-conflict-20240101-101010-ABCDEFG.json" << false;
        QTest::newRow("copy without conflict") << "config (copy).json" << false;
    }

    void conflictCopyNames() {
        QFETCH(QString, name);
        QFETCH(bool, conflict);
        QCOMPARE(SecureConfigurationRepository::isConflictVersionName(name, "config.json"), conflict);
        // The same name on disk beside the file is what a read refuses.
        const QString path = freshFile();
        QVERIFY(put(path, "{}"));
        if (name != "config.json")
            QVERIFY(put(QFileInfo(path).absolutePath() + '/' + name, "{}"));
        QCOMPARE(SecureConfigurationRepository::conflictVersions(path), conflict ? QStringList{name} : QStringList());
        QCOMPARE(outcome(SecureConfigurationRepository::readData(path)), conflict ? "conflict" : "ok");
    }

    void replaceKeepsABackup_data() {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("withBackup");
        QTest::addColumn<bool>("backupMade");
        QTest::newRow("file and backup path: a copy") << true << true << true;
        QTest::newRow("no backup path: no copy") << true << false << false;
        QTest::newRow("no file: no copy") << false << true << false;
    }

    void replaceKeepsABackup() {
        QFETCH(bool, fileExists);
        QFETCH(bool, withBackup);
        QFETCH(bool, backupMade);
        const QString path = freshFile();
        // Bytes a text conversion would change.
        const QByteArray previous("{\"a\":\"\xe4\xbd\xa0\"}\r\n\0end", 17);
        if (fileExists)
            QVERIFY(put(path, previous));
        const QString backup = QFileInfo(path).absolutePath() + "/Backups/deeper/icloud-1.json";
        SecureConfigurationRepository repository(path);
        QCOMPARE(outcome(repository.replace(content("B"), withBackup ? std::optional(backup) : std::nullopt)), "ok");
        QCOMPARE(contents(path), content("B"));
        QCOMPARE(QFileInfo::exists(backup), backupMade);
        if (backupMade)
            QCOMPARE(contents(backup), previous);
        QCOMPARE(repository.revision(), qint64(1));
    }

    // Failures of the file system come back unchanged, and nothing moves.
    void fileSystemFailures_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("write: the folder cannot be made") << "write under a file"
                                                          << "POSIX 20";
        QTest::newRow("replace: the folder cannot be made") << "replace under a file"
                                                            << "POSIX 20";
        QTest::newRow("write: the file cannot be read") << "write over a folder"
                                                        << "POSIX 21";
        QTest::newRow("replace: the backup exists already") << "replace backup exists"
                                                            << "QFileDevice 14";
        QTest::newRow("replace: the backup folder cannot be made") << "replace backup under a file"
                                                                   << "POSIX 20";
        QTest::newRow("replace: a folder is in the way") << "replace over a folder"
                                                         << "QFileDevice";
    }

    void fileSystemFailures() {
        QFETCH(QString, operation);
        QFETCH(QString, expected);
        QString path = freshFile();
        const QString folder = QFileInfo(path).absolutePath();
        std::optional<QString> backup;
        if (operation.endsWith("under a file")) {
            QVERIFY(put(folder + "/plain", "x"));
            if (operation.contains("backup")) {
                QVERIFY(put(path, content("A")));
                backup = folder + "/plain/icloud-1.json";
            } else {
                path = folder + "/plain/config.json";
            }
        }
        if (operation.endsWith("over a folder"))
            QVERIFY(QDir().mkpath(path));
        if (operation.endsWith("backup exists")) {
            QVERIFY(put(path, content("A")));
            QVERIFY(put(folder + "/icloud-1.json", "kept"));
            backup = folder + "/icloud-1.json";
        }
        SecureConfigurationRepository repository(path);
        const QString got = operation.startsWith("write") ? outcome(repository.write(content("B")))
                                                          : outcome(repository.replace(content("B"), backup));
        QVERIFY2(got.startsWith(expected), qPrintable(got));
        QCOMPARE(repository.revision(), qint64(0));
        if (QFileInfo(path).isFile())
            QCOMPARE(contents(path), content("A"));
        if (operation.endsWith("backup exists"))
            QCOMPARE(contents(*backup), QByteArray("kept"));
    }

    void standardizedPaths() {
        const QString path = freshFile();
        const QString folder = QFileInfo(path).absolutePath();
        SecureConfigurationRepository repository(folder + "/./sub/../config.json");
        QCOMPARE(repository.path(), path);
        QCOMPARE(SecureConfigurationRepository::standardizedPath(folder + "//config.json"), path);
    }

    // Two processes write the same file through their own repositories, each
    // over what it last saw, for 1,000 rounds. Every write lands or is refused
    // as an external change; the landed writes form one unbroken chain (no
    // two were written over the same content), so no change was ever
    // overwritten by a writer that had not seen it.
    void twoProcessesNeverLoseAChange() {
        const int rounds = 1000;
        const QString path = freshFile();
        QVERIFY(put(path, "init none"));
        QProcess writers[2];
        const QString names[2] = {"a", "b"};
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(WriterVariable, names[i]);
            writers[i].setProcessEnvironment(environment);
            writers[i].setProcessChannelMode(QProcess::SeparateChannels);
            writers[i].start(QCoreApplication::applicationFilePath(), {path, QString::number(rounds)});
        }
        for (QProcess &writer : writers)
            QVERIFY(writer.waitForStarted());
        for (QProcess &writer : writers)
            writer.write("go\n");
        for (QProcess &writer : writers)
            QVERIFY(writer.waitForBytesWritten());
        QHash<QByteArray, QByteArray> parentOf; // landed id -> the id it was written over
        QHash<QByteArray, QByteArray> childOf;  // id -> the landed write over it
        int refused = 0;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(writers[i].waitForFinished(240000));
            QVERIFY2(writers[i].exitCode() == 0, writers[i].readAllStandardError().constData());
            const QList<QByteArray> lines = writers[i].readAllStandardOutput().split('\n');
            int accounted = 0;
            for (const QByteArray &line : lines) {
                const QList<QByteArray> fields = line.split(' ');
                if (fields.value(0) == "refused") {
                    ++refused;
                    ++accounted;
                } else if (fields.value(0) == "landed" && fields.size() == 3) {
                    ++accounted;
                    parentOf.insert(fields[1], fields[2]);
                    QVERIFY2(!childOf.contains(fields[2]), QByteArray("two writes landed over " + fields[2] + ": " +
                                                                      childOf.value(fields[2]) + " and " + fields[1])
                                                               .constData());
                    childOf.insert(fields[2], fields[1]);
                }
            }
            QCOMPARE(accounted, rounds);
        }
        // The chain from the first content reaches every landed write and ends in the file.
        QByteArray id = "init";
        int length = 0;
        while (childOf.contains(id)) {
            id = childOf.value(id);
            ++length;
        }
        QCOMPARE(length, parentOf.size());
        QCOMPARE(contents(path).split(' ').value(0), id);
        // The writers did meet: a run without refusals would prove nothing.
        QVERIFY2(refused > 0, "the writers never interleaved");
        qInfo("%lld landed, %d refused", qint64(parentOf.size()), refused);
    }
};

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsSet(WriterVariable) && argc == 3)
        return runWriter(qEnvironmentVariable(WriterVariable), QString::fromLocal8Bit(argv[1]), atoi(argv[2]));
    QCoreApplication application(argc, argv);
    TestSecureConfigurationRepository test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSecureConfigurationRepository.moc"

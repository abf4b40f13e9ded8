// The configuration file monitor against real file-system changes made the way
// other programs make them: each relevant change gives exactly one call on the
// thread that made the monitor, changes to other files give none, and nothing
// arrives once the monitor is stopped or gone.
#include "SecureConfigurationFileMonitor.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <cstdio>
#include <unistd.h>

namespace {

bool put(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool rename(const QString &from, const QString &to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Time for events that should not come to show up if they did.
constexpr int SettleMs = 300;

} // namespace

class TestSecureConfigurationFileMonitor final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_case = 0;

    QString freshFolder() {
        const QString folder = m_dir.filePath(QString::number(++m_case));
        QDir().mkpath(folder);
        return folder;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // What another program does, what the folder held before, and how many calls follow.
    void changesByOtherPrograms_data() {
        QTest::addColumn<QString>("before"); // "file", "none", "no folder"
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("calls");
        QTest::newRow("file rewritten in place") << "file"
                                                 << "write" << 1;
        QTest::newRow("file created") << "none"
                                      << "write" << 1;
        QTest::newRow("file deleted") << "file"
                                      << "delete" << 1;
        QTest::newRow("file moved in from elsewhere") << "none"
                                                      << "move in" << 1;
        QTest::newRow("file moved out") << "file"
                                        << "move out" << 1;
        QTest::newRow("file renamed in its folder") << "file"
                                                    << "rename away" << 1;
        QTest::newRow("another file renamed onto it (atomic replace)") << "file"
                                                                       << "replace by rename" << 1;
        QTest::newRow("QSaveFile replacing it") << "file"
                                                << "save file" << 1;
        QTest::newRow("another file in the folder changed") << "file"
                                                            << "write other" << 0;
        QTest::newRow("another file renamed in the folder") << "file"
                                                            << "rename other" << 0;
        QTest::newRow("a download placeholder appears") << "none"
                                                        << "write placeholder" << 0;
        QTest::newRow("only the file's mode changed") << "file"
                                                      << "chmod" << 0;
        QTest::newRow("a conflict copy appears") << "file"
                                                 << "write conflict" << 1;
        QTest::newRow("a conflict copy is resolved") << "conflict"
                                                     << "delete conflict" << 1;
        QTest::newRow("the folder appears with the file in it") << "no folder"
                                                                << "move folder in" << 1;
        QTest::newRow("the folder appears, then the file") << "no folder"
                                                           << "make folder, then write" << 1;
        QTest::newRow("the folder is removed with the file") << "file"
                                                             << "remove folder" << 1;
        QTest::newRow("the folder is moved away") << "file"
                                                  << "move folder out" << 1;
        QTest::newRow("the folder is moved away and back") << "file"
                                                           << "move folder out and back" << 2;
    }

    void changesByOtherPrograms() {
        QFETCH(QString, before);
        QFETCH(QString, action);
        QFETCH(int, calls);
        const QString root = freshFolder();
        const QString folder = root + "/Cloud/Vellora";
        const QString file = folder + "/config.json";
        const QString conflict = folder + "/config.sync-conflict-20240101-101010-ABCDEFG.json";
        const QString outside = root + "/outside.json";
        if (before != "no folder")
            QVERIFY(QDir().mkpath(folder));
        if (before == "file" || before == "conflict")
            QVERIFY(put(file, "{}"));
        if (before == "conflict")
            QVERIFY(put(conflict, "{}"));
        if (action == "move in")
            QVERIFY(put(outside, "{}"));
        if (action == "replace by rename" || action == "rename other")
            QVERIFY(put(folder + "/.config.json.tmp", "{\"new\":1}"));
        if (action == "write other")
            QVERIFY(put(folder + "/other.json", "{}"));
        if (action == "move folder in")
            QVERIFY(put(root + "/staging/config.json", "{}"));

        int count = 0;
        bool onOwnThread = true;
        SecureConfigurationFileMonitor monitor(file, [&] {
            ++count;
            onOwnThread = onOwnThread && QThread::currentThread() == thread();
        });
        QVERIFY(monitor.start());

        if (action == "write" || action == "write other" || action == "write placeholder" ||
            action == "write conflict") {
            const QString target = action == "write"               ? file
                                   : action == "write other"       ? folder + "/other.json"
                                   : action == "write placeholder" ? folder + "/.config.json.icloud"
                                                                   : conflict;
            QVERIFY(put(target, "{\"changed\":true}"));
        } else if (action == "delete") {
            QVERIFY(QFile::remove(file));
        } else if (action == "delete conflict") {
            QVERIFY(QFile::remove(conflict));
        } else if (action == "move in") {
            QVERIFY(rename(outside, file));
        } else if (action == "move out") {
            QVERIFY(rename(file, outside));
        } else if (action == "rename away") {
            QVERIFY(rename(file, folder + "/config-old.json"));
        } else if (action == "replace by rename") {
            QVERIFY(rename(folder + "/.config.json.tmp", file));
        } else if (action == "rename other") {
            QVERIFY(rename(folder + "/.config.json.tmp", folder + "/other.json"));
        } else if (action == "save file") {
            QSaveFile save(file);
            QVERIFY(save.open(QIODevice::WriteOnly));
            save.write("{\"saved\":true}");
            QVERIFY(save.commit());
        } else if (action == "chmod") {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        } else if (action == "move folder in") {
            QVERIFY(QDir().mkpath(root + "/Cloud"));
            QVERIFY(rename(root + "/staging", folder));
        } else if (action == "make folder, then write") {
            QVERIFY(QDir().mkpath(folder));
            QTest::qWait(SettleMs);
            QCOMPARE(count, 0);
            QVERIFY(put(file, "{}"));
        } else if (action == "remove folder") {
            QVERIFY(QDir(root + "/Cloud").removeRecursively());
        } else if (action == "move folder out") {
            QVERIFY(rename(folder, root + "/Vellora-old"));
        } else if (action == "move folder out and back") {
            QVERIFY(rename(folder, root + "/Vellora-old"));
            QTest::qWait(SettleMs);
            QVERIFY(rename(root + "/Vellora-old", folder));
        } else {
            QFAIL(qPrintable("unknown action " + action));
        }

        if (calls > 0)
            QTRY_COMPARE(count, calls);
        QTest::qWait(SettleMs);
        QCOMPARE(count, calls);
        QVERIFY(onOwnThread);
    }

    // The file is named with "." and ".." components; its changes still count.
    void pathNeedNotBeStandardized() {
        const QString folder = freshFolder();
        QVERIFY(QDir().mkpath(folder + "/sub"));
        int count = 0;
        SecureConfigurationFileMonitor monitor(folder + "/./sub/../config.json", [&] { ++count; });
        QCOMPARE(monitor.watchedPath(), folder + "/config.json");
        QCOMPARE(monitor.directory(), folder + "/./sub/..");
        QVERIFY(monitor.start());
        QVERIFY(put(folder + "/config.json", "{}"));
        QTRY_COMPARE(count, 1);
    }

    // start and stop may be called again; a second start watches once, and
    // nothing is called while stopped.
    void startAndStopAreRepeatable() {
        const QString folder = freshFolder();
        const QString file = folder + "/config.json";
        int count = 0;
        SecureConfigurationFileMonitor monitor(file, [&] { ++count; });
        QVERIFY(!monitor.monitoring());
        QVERIFY(monitor.start());
        QVERIFY(monitor.start());
        QVERIFY(monitor.monitoring());
        QVERIFY(put(file, "1"));
        QTRY_COMPARE(count, 1);
        QTest::qWait(SettleMs);
        QCOMPARE(count, 1);

        monitor.stop();
        monitor.stop();
        QVERIFY(!monitor.monitoring());
        QVERIFY(put(file, "2"));
        QTest::qWait(SettleMs);
        QCOMPARE(count, 1);

        QVERIFY(monitor.start());
        QVERIFY(put(file, "3"));
        QTRY_COMPARE(count, 2);
    }

    // Events that were read but not yet delivered are dropped with the
    // monitor: nothing arrives after stop() or destruction.
    void nothingArrivesAfterStopOrDestruction() {
        const QString folder = freshFolder();
        const QString file = folder + "/config.json";
        int count = 0;
        auto monitor = std::make_unique<SecureConfigurationFileMonitor>(file, [&] { ++count; });
        QVERIFY(monitor->start());
        QVERIFY(put(file, "1"));
        // The reader thread has posted the call, but the event loop has not run.
        QThread::msleep(200);
        monitor->stop();
        QTest::qWait(SettleMs);
        QCOMPARE(count, 0);

        QVERIFY(monitor->start());
        QVERIFY(put(file, "2"));
        QThread::msleep(200);
        monitor.reset();
        QTest::qWait(SettleMs);
        QCOMPARE(count, 0);
    }

    // Two monitors of the same file each hear every change (the application
    // replaces its monitor while the old one may still be listening).
    void monitorsAreIndependent() {
        const QString file = freshFolder() + "/config.json";
        int first = 0;
        int second = 0;
        SecureConfigurationFileMonitor one(file, [&] { ++first; });
        SecureConfigurationFileMonitor two(file, [&] { ++second; });
        QVERIFY(one.start());
        QVERIFY(two.start());
        QVERIFY(put(file, "1"));
        QTRY_COMPARE(first, 1);
        QTRY_COMPARE(second, 1);
    }
};

QTEST_GUILESS_MAIN(TestSecureConfigurationFileMonitor)
#include "TestSecureConfigurationFileMonitor.moc"

#include "BundleArchive.h"

#include "UpdateBundles.h"
#include "ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

constexpr quint32 File = S_IFREG | 0644;
constexpr quint32 Folder = S_IFDIR | 0755;
constexpr quint32 Link = S_IFLNK | 0777;

QStringList contents(const QString &root) {
    QStringList found;
    QDirIterator walk(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext())
        found.append(walk.next().mid(root.size() + 1));
    found.sort();
    return found;
}

} // namespace

class TestBundleArchive final : public QObject {
    Q_OBJECT

private slots:
    void packedBundlesUnpackWithTheirModes() {
        QTemporaryDir source;
        QTemporaryDir target;
        const QString bundle = UpdateBundles::make(source.path(), {});
        QVERIFY(!bundle.isEmpty());
        QVERIFY(QDir(bundle).mkpath("icons/hicolor"));
        QVERIFY(QFile::link("../vellora.desktop", bundle + "/icons/entry"));
        // A group-writable file, as a loose umask leaves it, is stored as 0644.
        QVERIFY(QFile::setPermissions(bundle + "/bundle.json", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                                   | QFile::WriteGroup | QFile::ReadOther));
        const QString archive = target.filePath("bundle.zip");
        QVERIFY(BundleArchive::pack(bundle, archive).ok());
        const QString out = target.filePath("out");
        QVERIFY(QDir().mkpath(out));
        const Result<void> unpacked = BundleArchive::unpack(archive, out);
        QVERIFY2(unpacked.ok(), qPrintable(unpacked.ok() ? QString() : unpacked.error().description));
        QCOMPARE(contents(out + "/Vellora.app"), contents(bundle));
        QVERIFY(QFileInfo(out + "/Vellora.app/vellora").isExecutable());
        QCOMPARE(QFileInfo(out + "/Vellora.app/bundle.json").permissions() & 0x7777,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ReadUser
                     | QFile::WriteUser);
        QCOMPARE(QFile::symLinkTarget(out + "/Vellora.app/icons/entry"),
                 QFileInfo(out + "/Vellora.app/vellora.desktop").absoluteFilePath());
        QFile original(bundle + "/vellora");
        QFile copy(out + "/Vellora.app/vellora");
        QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
    }

    void unsafeEntriesAreRefused_data() {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("escapee"); // a path outside the target that must not appear
        const auto zip = [](std::initializer_list<std::tuple<QByteArray, QByteArray, quint32>> entries) {
            ZipWriter writer;
            writer.add("Vellora.app/", {}, Folder);
            writer.add("Vellora.app/bundle.json", "{}", File);
            for (const auto &[name, data, mode] : entries)
                writer.add(name, data, mode);
            return writer.bytes();
        };
        QTest::newRow("zip-slip") << zip({{"Vellora.app/../../escaped", "x", File}}) << "escaped";
        QTest::newRow("zip-slip at the start") << zip({{"../escaped", "x", File}}) << "escaped";
        QTest::newRow("absolute path") << zip({{"/tmp/vellora-absolute-escape", "x", File}})
                                       << "/tmp/vellora-absolute-escape";
        QTest::newRow("link to an absolute path") << zip({{"Vellora.app/link", "/etc", Link}}) << QString();
        QTest::newRow("link climbing out") << zip({{"Vellora.app/link", "../../escaped", Link}}) << QString();
        QTest::newRow("write through a link")
            << zip({{"Vellora.app/link", "..", Link}, {"Vellora.app/link/../escaped", "x", File}}) << "escaped";
        QTest::newRow("a name twice") << zip({{"Vellora.app/bundle.json", "{\"again\":1}", File}}) << QString();
        QTest::newRow("character device") << zip({{"Vellora.app/tty", {}, S_IFCHR | 0666}}) << QString();
        QTest::newRow("block device") << zip({{"Vellora.app/disk", {}, S_IFBLK | 0660}}) << QString();
        QTest::newRow("socket") << zip({{"Vellora.app/socket", {}, S_IFSOCK | 0644}}) << QString();
        QByteArray truncated = zip({{"Vellora.app/vellora", QByteArray(4096, 'e'), S_IFREG | 0755}});
        truncated.chop(40);
        QTest::newRow("truncated") << truncated << QString();
        QTest::newRow("not a zip") << QByteArray("PK\x03\x04 and then nothing of the sort") << QString();
    }

    void unsafeEntriesAreRefused() {
        QFETCH(QByteArray, archive);
        QFETCH(QString, escapee);
        QTemporaryDir dir;
        const QString target = dir.filePath("work/inner");
        QVERIFY(QDir().mkpath(target));
        QVERIFY(UpdateBundles::write(dir.filePath("archive.zip"), archive));
        const Result<void> unpacked = BundleArchive::unpack(dir.filePath("archive.zip"), target);
        QVERIFY(!unpacked.ok());
        if (!escapee.isEmpty()) {
            const QString outside = escapee.startsWith('/') ? escapee : dir.filePath(escapee);
            QVERIFY2(!QFileInfo::exists(outside), qPrintable(outside));
            QVERIFY(!QFileInfo::exists(dir.filePath("work/escaped")));
        }
        QVERIFY(!QFileInfo::exists(target + "/Vellora.app/tty"));
        QVERIFY(!QFileInfo::exists(target + "/Vellora.app/socket"));
    }

    void aFifoEntryNeverBecomesAFifo() {
        // libarchive reads a zip's FIFO mode as a plain file (some archivers set
        // that bit by mistake); what lands on disk is an empty file, which no
        // signed bundle holds.
        ZipWriter writer;
        writer.add("Vellora.app/", {}, Folder);
        writer.add("Vellora.app/pipe", {}, S_IFIFO | 0644);
        QTemporaryDir dir;
        QVERIFY(UpdateBundles::write(dir.filePath("fifo.zip"), writer.bytes()));
        (void)BundleArchive::unpack(dir.filePath("fifo.zip"), dir.path());
        struct stat status {};
        if (::lstat(QFile::encodeName(dir.filePath("Vellora.app/pipe")).constData(), &status) == 0)
            QVERIFY(S_ISREG(status.st_mode));
    }

    void aLinkInsideTheBundleIsKept() {
        ZipWriter writer;
        writer.add("Vellora.app/", {}, Folder);
        writer.add("Vellora.app/lib/", {}, Folder);
        writer.add("Vellora.app/lib/real", "data", File);
        writer.add("Vellora.app/lib/alias", "real", Link);
        writer.add("Vellora.app/up", "lib/../lib/real", Link);
        QTemporaryDir dir;
        QVERIFY(UpdateBundles::write(dir.filePath("a.zip"), writer.bytes()));
        QVERIFY(BundleArchive::unpack(dir.filePath("a.zip"), dir.path()).ok());
        QCOMPARE(QFileInfo(dir.filePath("Vellora.app/up")).canonicalFilePath(),
                 QFileInfo(dir.filePath("Vellora.app/lib/real")).canonicalFilePath());
    }

    void theBoundsStopArchiveBombs_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("fileBytes");
        QTest::addColumn<qint64>("maximumEntries");
        QTest::addColumn<qint64>("maximumBytes");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("within both") << 10 << 100 << qint64(12) << qint64(1000) << true;
        QTest::newRow("one entry too many") << 11 << 100 << qint64(11) << qint64(100000) << false;
        QTest::newRow("one byte too many") << 10 << 100 << qint64(100) << qint64(999) << false;
    }

    void theBoundsStopArchiveBombs() {
        QFETCH(int, files);
        QFETCH(int, fileBytes);
        QFETCH(qint64, maximumEntries);
        QFETCH(qint64, maximumBytes);
        QFETCH(bool, accepted);
        ZipWriter writer;
        writer.add("Vellora.app/", {}, Folder);
        for (int i = 0; i < files; ++i)
            writer.add("Vellora.app/f" + QByteArray::number(i), QByteArray(fileBytes, 'z'), File);
        QTemporaryDir dir;
        QVERIFY(UpdateBundles::write(dir.filePath("bomb.zip"), writer.bytes()));
        QVERIFY(QDir().mkpath(dir.filePath("out")));
        const Result<void> unpacked =
            BundleArchive::unpack(dir.filePath("bomb.zip"), dir.filePath("out"), {maximumEntries, maximumBytes});
        QCOMPARE(unpacked.ok(), accepted);
    }
};

QTEST_GUILESS_MAIN(TestBundleArchive)
#include "TestBundleArchive.moc"

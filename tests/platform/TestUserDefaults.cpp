#include "UserDefaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An expected typed read: an invalid QVariant stands for std::nullopt.
template <typename T> QVariant read(const std::optional<T> &value) {
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

class TestUserDefaults final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void typedReadsOfAHandWrittenFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("contained");
        QTest::addColumn<QVariant>("text");
        QTest::addColumn<QVariant>("boolean");
        QTest::addColumn<QVariant>("integer");
        QTest::addColumn<QVariant>("data");
        const QVariant none;
        QTest::newRow("text") << "text" << true << QVariant("你好 world") << none << none << none;
        QTest::newRow("empty text") << "empty" << true << QVariant("") << none << none << none;
        QTest::newRow("true") << "yes" << true << QVariant("true") << QVariant(true) << none << none;
        QTest::newRow("false") << "no" << true << QVariant("false") << QVariant(false) << none << none;
        QTest::newRow("capitalised True is text") << "capital" << true << QVariant("True") << none << none << none;
        QTest::newRow("integer") << "number" << true << QVariant("-42") << none << QVariant(qint64(-42)) << none;
        QTest::newRow("binary data") << "bytes" << true << none << none << none << QVariant(QByteArray("{\"a\":1}"));
        QTest::newRow("list is none of these") << "list" << true << none << none << none << none;
        QTest::newRow("absent") << "missing" << false << none << none << none << none;
    }

    void typedReadsOfAHandWrittenFile() {
        QFETCH(QString, key);
        QFETCH(bool, contained);
        QFETCH(QVariant, text);
        QFETCH(QVariant, boolean);
        QFETCH(QVariant, integer);
        QFETCH(QVariant, data);
        QFile file(path("hand-written.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\n"
                   "text=\"\xe4\xbd\xa0\xe5\xa5\xbd world\"\n"
                   "empty=\n"
                   "yes=true\n"
                   "no=false\n"
                   "capital=True\n"
                   "number=-42\n"
                   "bytes=@ByteArray({\\\"a\\\":1})\n"
                   "list=a, b\n");
        file.close();

        const UserDefaults defaults(file.fileName());
        QCOMPARE(defaults.contains(key), contained);
        QCOMPARE(read(defaults.string(key)), text);
        QCOMPARE(read(defaults.boolean(key)), boolean);
        QCOMPARE(read(defaults.integer(key)), integer);
        QCOMPARE(read(defaults.data(key)), data);
    }

    // What is written reads back the same in this process and after the file
    // has been read again by another domain object.
    void valuesSurviveTheFile_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("text") << QVariant("deepseek-v4-flash");
        QTest::newRow("text that looks like a Boolean") << QVariant("true");
        QTest::newRow("text starting with @") << QVariant("@ByteArray(x)");
        QTest::newRow("text with commas, quotes and lines") << QVariant("a, \"b\"\n c; =d");
        QTest::newRow("empty text") << QVariant(QString(""));
        QTest::newRow("Boolean") << QVariant(true);
        QTest::newRow("integer") << QVariant(qint64(4294967296));
        QTest::newRow("binary data") << QVariant(QByteArray("\0\xff{\"label\":\"2\"}", 16));
    }

    void valuesSurviveTheFile() {
        QFETCH(QVariant, value);
        const QString file = path("round-trip.conf");
        QFile::remove(file);
        const auto check = [&value](const UserDefaults &defaults) {
            switch (value.typeId()) {
            case QMetaType::QString:
                QCOMPARE(defaults.string("key"), std::optional<QString>(value.toString()));
                break;
            case QMetaType::Bool:
                QCOMPARE(defaults.boolean("key"), std::optional<bool>(value.toBool()));
                QCOMPARE(defaults.data("key"), std::nullopt);
                break;
            case QMetaType::LongLong:
                QCOMPARE(defaults.integer("key"), std::optional<qint64>(value.toLongLong()));
                break;
            default:
                QCOMPARE(defaults.data("key"), std::optional<QByteArray>(value.toByteArray()));
                QCOMPARE(defaults.string("key"), std::nullopt);
            }
        };
        {
            UserDefaults writer(file);
            switch (value.typeId()) {
            case QMetaType::QString:
                writer.setString("key", value.toString());
                break;
            case QMetaType::Bool:
                writer.setBoolean("key", value.toBool());
                break;
            case QMetaType::LongLong:
                writer.setInteger("key", value.toLongLong());
                break;
            default:
                writer.setData("key", value.toByteArray());
            }
            check(writer);
            QVERIFY(writer.synchronize().ok());
        }
        // A different path to the same file would share QSettings's cache, so
        // copy the file to read it back cold.
        const QString copy = path("round-trip-copy.conf");
        QFile::remove(copy);
        QVERIFY(QFile::copy(file, copy));
        const UserDefaults reader(copy);
        check(reader);
    }

    void registeredDefaultsAreReadButNeverWritten() {
        const QString file = path("registered.conf");
        UserDefaults defaults(file);
        defaults.registerDefaults({{"flag", true}, {"name", "registered"}});
        QVERIFY(defaults.contains("flag"));
        QCOMPARE(defaults.boolean("flag"), std::optional<bool>(true));
        QCOMPARE(defaults.string("name"), std::optional<QString>("registered"));

        defaults.setString("name", "stored");
        QCOMPARE(defaults.string("name"), std::optional<QString>("stored"));
        defaults.remove("name");
        QCOMPARE(defaults.string("name"), std::optional<QString>("registered"));
        defaults.setBoolean("other", false);
        QVERIFY(defaults.synchronize().ok());

        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray content = written.readAll();
        QVERIFY2(content.contains("other=false"), content.constData());
        QVERIFY2(!content.contains("flag") && !content.contains("name"), content.constData());
    }

    void theStandardDomainIsTheVelloraConfFile() {
        // with-test-session points XDG_CONFIG_HOME at a temporary folder.
        const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (configHome.isEmpty())
            QSKIP("needs XDG_CONFIG_HOME (run inside tests/support/with-test-session)");
        UserDefaults defaults;
        QCOMPARE(defaults.fileName(), configHome + "/Vellora/Vellora.conf");
    }

    void synchronizeReportsAFileThatCannotBeWritten() {
        // A regular file where the folder should be: no one, root included, can
        // create the settings file below it.
        QFile blocker(path("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        UserDefaults defaults(path("not-a-folder/Vellora.conf"));
        defaults.setString("aiModel", "x");
        const auto synchronized = defaults.synchronize();
        QVERIFY(!synchronized.ok());
        QVERIFY(synchronized.error().description.contains("not-a-folder/Vellora.conf"));
    }
};

QTEST_GUILESS_MAIN(TestUserDefaults)
#include "TestUserDefaults.moc"

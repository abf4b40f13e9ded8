#include "AIKeychain.h"

#include "KeyringTestSupport.h"
#include "LibsecretSecretStore.h"

#include <QTest>

// Runs against the gnome-keyring-daemon of tests/support/with-test-session;
// secret-tool is the independent second client that checks what was stored.
class TestAIKeychain final : public QObject {
    Q_OBJECT

    const KeyringTestSupport::Attributes m_item{{"service", "quorvel.vellora.ai"},
                                                {"account", "openai-compatible-key"}};

private slots:
    void init() { KeyringTestSupport::clear(m_item); }
    void cleanupTestCase() { KeyringTestSupport::clear(m_item); }

    void nothingStored() {
        LibsecretSecretStore store;
        const auto read = AIKeychain::read(store);
        QVERIFY(read.ok());
        QVERIFY(!read.value().has_value());
        QVERIFY(AIKeychain::remove(store).ok());
        QVERIFY(!KeyringTestSupport::lookup(m_item).has_value());
    }

    void secondWriteReplacesTheFirst() {
        LibsecretSecretStore store;
        QVERIFY(AIKeychain::write(store, "sk-first").ok());
        QVERIFY(AIKeychain::write(store, "sk-second").ok());
        QCOMPARE(AIKeychain::read(store).value(), std::optional<QString>("sk-second"));
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("sk-second"));
        QCOMPARE(KeyringTestSupport::count(m_item), 1);

        QVERIFY(AIKeychain::remove(store).ok());
        QVERIFY(!AIKeychain::read(store).value().has_value());
        QVERIFY(!KeyringTestSupport::lookup(m_item).has_value());
    }

    void writeReplacesAKeyStoredByAnotherClient() {
        QVERIFY(KeyringTestSupport::store(m_item, "sk-from-secret-tool"));
        LibsecretSecretStore store;
        QCOMPARE(AIKeychain::read(store).value(), std::optional<QString>("sk-from-secret-tool"));
        QVERIFY(AIKeychain::write(store, "sk-ours").ok());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("sk-ours"));
        QCOMPARE(KeyringTestSupport::count(m_item), 1);
    }

    void keysAreStoredExactly_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("Chinese") << QStringLiteral("sk-测试");
        QTest::newRow("emoji and Traditional Chinese") << QStringLiteral("鑰匙🔑key");
        QTest::newRow("blanks are not trimmed here") << QStringLiteral("  sk-padded\t\n");
        QTest::newRow("empty") << QString();
        QTest::newRow("leading byte-order mark") << QStringLiteral("\uFEFFsk-bom");
    }

    void keysAreStoredExactly() {
        QFETCH(QString, key);
        LibsecretSecretStore store;
        QVERIFY(AIKeychain::write(store, key).ok());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>(key.toUtf8()));
        const auto read = AIKeychain::read(store);
        QVERIFY(read.ok());
        QVERIFY(read.value().has_value());
        QCOMPARE(*read.value(), key);
    }

    void invalidUtf8FailsWithCodeZero_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("stray byte") << QByteArray("sk-\xff");
        QTest::newRow("sequence cut off at the end") << QByteArray("sk-\xe6\xb5");
        QTest::newRow("overlong slash") << QByteArray("sk-\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("sk-\xed\xa0\x80");
    }

    void invalidUtf8FailsWithCodeZero() {
        QFETCH(QByteArray, bytes);
        QVERIFY(KeyringTestSupport::store(m_item, bytes));
        LibsecretSecretStore store;
        const auto read = AIKeychain::read(store);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().code, 0);
        QVERIFY(!read.error().description.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAIKeychain)
#include "TestAIKeychain.moc"

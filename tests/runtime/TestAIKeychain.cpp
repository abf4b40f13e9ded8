#include "AIKeychain.h"

#include "KeyringTestSupport.h"
#include "LibsecretSecretStore.h"

#include <QScopeGuard>
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
        QTest::newRow("blanks are stored, and trimmed when read") << QStringLiteral("  sk-padded\t\n");
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
        QCOMPARE(*read.value(), key.trimmed());
    }

    // Other clients store what they are given; `secret-tool store` keeps the
    // newline of piped input. The key is read as saveKey would have stored it.
    void keysOfOtherClientsAreTrimmed_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("key");
        QTest::newRow("newline") << QByteArray("sk-piped\n") << QStringLiteral("sk-piped");
        QTest::newRow("CRLF and blanks") << QByteArray("  sk-piped \r\n") << QStringLiteral("sk-piped");
        QTest::newRow("ideographic space") << QByteArray("\xe3\x80\x80sk-wide") << QStringLiteral("sk-wide");
        QTest::newRow("control character inside stays") << QByteArray("sk-a\x01b\n") << QStringLiteral("sk-a\x01b");
        QTest::newRow("blanks only: a stored, empty key") << QByteArray(" \n") << QString();
    }

    void keysOfOtherClientsAreTrimmed() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, key);
        QVERIFY(KeyringTestSupport::store(m_item, stored));
        LibsecretSecretStore store;
        const auto read = AIKeychain::read(store);
        QVERIFY(read.ok());
        QCOMPARE(read.value(), std::optional<QString>(key));
    }

    // Every operation on a locked keyring fails with the message that says so.
    void lockedKeyringHasItsOwnMessage_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("read") << "read";
        QTest::newRow("write") << "write";
        QTest::newRow("remove") << "remove";
    }

    void lockedKeyringHasItsOwnMessage() {
        QFETCH(QString, operation);
        QVERIFY(KeyringTestSupport::store(m_item, "sk-stored"));
        QVERIFY(KeyringTestSupport::lockDefaultCollection());
        const auto unlock = qScopeGuard([] { KeyringTestSupport::unlockDefaultCollection(); });
        LibsecretSecretStore store;
        const auto failure = [](const auto &result) {
            return result.ok() ? std::nullopt : std::optional(result.error());
        };
        const std::optional<Error> error = operation == "read"    ? failure(AIKeychain::read(store))
                                           : operation == "write" ? failure(AIKeychain::write(store, "sk-new"))
                                                                  : failure(AIKeychain::remove(store));
        QVERIFY2(error.has_value(), "the operation succeeded on a locked keyring");
        QCOMPARE(*error, (Error{"Vellora.Keychain", AIKeychain::LockedCode, "钥匙串已锁定，请先解锁后重试。"}));
        QVERIFY(AIKeychain::isLocked(*error));
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

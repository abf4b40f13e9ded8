#include "KeyringTestSupport.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTest>

// `vellora --set-ai-key-stdin` as a user runs it, against the session's real
// keyring; secret-tool checks what landed there.
class TestKeyImport final : public QObject {
    Q_OBJECT

    const KeyringTestSupport::Attributes m_item{{"service", "quorvel.vellora.ai"},
                                                {"account", "openai-compatible-key"}};
    const QStringList m_mode{"--set-ai-key-stdin"};

private slots:
    void init() { KeyringTestSupport::clear(m_item); }
    void cleanupTestCase() { KeyringTestSupport::clear(m_item); }

    void storesTheTrimmedFirstLine_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("blanks around a Chinese key") << QByteArray("  sk-测试 \n") << QByteArray("sk-测试");
        QTest::newRow("tabs and CRLF") << QByteArray("\tsk-tab\t\r\n") << QByteArray("sk-tab");
        QTest::newRow("second line ignored") << QByteArray("sk-first\nsk-second\n") << QByteArray("sk-first");
        QTest::newRow("no line terminator") << QByteArray("sk-unterminated") << QByteArray("sk-unterminated");
        QTest::newRow("Unicode spaces trimmed") << QByteArray("\u3000\u00a0sk-wide\u2028\n") << QByteArray("sk-wide");
        QTest::newRow("inner blanks kept") << QByteArray(" sk inner  key \n") << QByteArray("sk inner  key");
        QTest::newRow("longest key, CRLF") << QByteArray(8192, 'k') + "\r\n" << QByteArray(8192, 'k');
    }

    void storesTheTrimmedFirstLine() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, stored);
        const auto result = TestSupport::runVellora(m_mode, input);
        QVERIFY2(result.finished, result.standardError.constData());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.standardOutput, QByteArray("API key saved in Keychain.\n"));
        QCOMPARE(result.standardError, QByteArray());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>(stored));
    }

    void replacesAStoredKey() {
        QVERIFY(KeyringTestSupport::store(m_item, "sk-old"));
        const auto result = TestSupport::runVellora(m_mode, "sk-new\n");
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("sk-new"));
        QCOMPARE(KeyringTestSupport::count(m_item), 1);
    }

    void refusesInputWithoutAKey_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("message");
        const QByteArray missing = "Missing API key on standard input.\n";
        QTest::newRow("empty input") << QByteArray() << missing;
        QTest::newRow("blanks only") << QByteArray(" \t  \n") << missing;
        QTest::newRow("empty first line, key on the second") << QByteArray("\nsk-second\n") << missing;
        QTest::newRow("not UTF-8") << QByteArray("sk-\xff\xfe\n")
                                   << QByteArray("API key on standard input is not valid UTF-8 text.\n");
        const QByteArray control = "API key on standard input contains control characters.\n";
        QTest::newRow("NUL inside") << QByteArray("sk-a\0bcdef\n", 11) << control;
        QTest::newRow("escape sequence inside") << QByteArray("sk-\x1b[31mred\n") << control;
        QTest::newRow("C1 control inside") << QByteArray("sk-\xc2\x85x\n") << control;
        // A key is short: a longer line is refused as soon as the bound is passed.
        const QByteArray tooLong = "API key on standard input is too long (more than 8192 bytes).\n";
        QTest::newRow("one byte over the bound") << QByteArray(8193, 'k') + '\n' << tooLong;
        QTest::newRow("8 MB without a line break") << QByteArray(8 << 20, 'k') << tooLong;
    }

    // A refused input leaves the key that was stored before untouched.
    void refusesInputWithoutAKey() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, message);
        QVERIFY(KeyringTestSupport::store(m_item, "sk-kept"));
        const auto result = TestSupport::runVellora(m_mode, input);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardError, message);
        QCOMPARE(result.standardOutput, QByteArray());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("sk-kept"));
    }

    void reportsTheCodeWhenNoKeyringServiceRuns() {
        const auto result =
            KeyringTestSupport::runWithoutSecretService(TestSupport::velloraExecutable(), m_mode, "sk-nowhere\n");
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput, QByteArray());
        // The private bus's daemon may add its own lines to standard error.
        static const QRegularExpression line(
            QStringLiteral("^Could not save API key to Keychain \\(code -?\\d+\\)\\.$"),
            QRegularExpression::MultilineOption);
        QVERIFY2(line.match(QString::fromUtf8(result.standardError)).hasMatch(), result.standardError.constData());
        QVERIFY(!KeyringTestSupport::lookup(m_item).has_value());
    }

    // The stored key is there, but cannot be replaced while the keyring is locked.
    void reportsALockedKeyring() {
        QVERIFY(KeyringTestSupport::store(m_item, "sk-kept"));
        QVERIFY(KeyringTestSupport::lockDefaultCollection());
        const auto result = TestSupport::runVellora(m_mode, "sk-new\n");
        QVERIFY(KeyringTestSupport::unlockDefaultCollection());
        QVERIFY(result.finished);
        QCOMPARE(result.standardError, QByteArray("Could not save API key to Keychain: the keyring is locked.\n"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput, QByteArray());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("sk-kept"));
    }

    // With an extra argument the mode does not apply: the tray application
    // starts instead, and is stopped by the time-out.
    void extraArgumentFallsThrough() {
        const auto result = TestSupport::runVellora({"--set-ai-key-stdin", "extra"}, "sk-ignored\n",
                                                    QProcessEnvironment::systemEnvironment(), 3000);
        QVERIFY(!result.finished);
        QVERIFY(!result.standardOutput.contains("API key"));
        QVERIFY(!result.standardError.contains("API key"));
        QVERIFY(!KeyringTestSupport::lookup(m_item).has_value());
    }
};

QTEST_GUILESS_MAIN(TestKeyImport)
#include "TestKeyImport.moc"

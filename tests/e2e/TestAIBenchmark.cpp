#include "HttpsTestServer.h"
#include "KeyringTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// `vellora --benchmark-ai` as a user runs it: the key in the session's real
// keyring, the service address in the user-defaults file, and the service a
// local HTTPS server that the process trusts through VELLORA_EXTRA_CA_CERTS.
class TestAIBenchmark final : public QObject {
    Q_OBJECT

    const KeyringTestSupport::Attributes m_item{{"service", "quorvel.vellora.ai"},
                                                {"account", "openai-compatible-key"}};
    const QByteArray m_key = "sk-benchmark-7d2a";
    std::unique_ptr<HttpsTestServer> m_server;
    std::unique_ptr<QTemporaryDir> m_config;

    // Writes the stored defaults; a null QVariant leaves the key out.
    void storeDefaults(const QVariant &baseURL, const QVariant &model) {
        QSettings settings(QDir(m_config->path()).filePath("Vellora/Vellora.conf"), QSettings::IniFormat);
        settings.clear();
        if (!baseURL.isNull())
            settings.setValue("aiBaseURL", baseURL);
        if (!model.isNull())
            settings.setValue("aiModel", model);
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
    }

    TestSupport::ProcessResult
    runBenchmark(QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
        environment.insert("XDG_CONFIG_HOME", m_config->path());
        environment.insert("VELLORA_EXTRA_CA_CERTS", m_server->caCertificatePath());
        return TestSupport::runVellora({"--benchmark-ai"}, {}, environment, 60000);
    }

private slots:
    void initTestCase() {
        m_server = std::make_unique<HttpsTestServer>();
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errorString()));
    }

    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        m_server->clearRequests();
        KeyringTestSupport::clear(m_item);
    }

    void cleanupTestCase() { KeyringTestSupport::clear(m_item); }

    void timesTheConfiguredService() {
        QVERIFY(KeyringTestSupport::store(m_item, m_key));
        storeDefaults(m_server->url("/v1/"), QVariant());
        // Five user-perceived characters: the emoji with its skin tone is one.
        m_server->setResponse(HttpsTestServer::completion("\n修正后：👍🏽\n"));

        const auto result = runBenchmark();
        QVERIFY2(result.finished, result.standardError.constData());
        QCOMPARE(result.standardError, QByteArray());
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(QRegularExpression("\\Aai_seconds=\\d+\\.\\d{3} output_characters=5\\n\\z")
                     .match(QString::fromUtf8(result.standardOutput))
                     .hasMatch(),
                 result.standardOutput.constData());

        // The fixed sample and prompt, the fallback model, the stored key.
        const auto requests = m_server->requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().path, QByteArray("/v1/chat/completions"));
        QCOMPARE(requests.first().headers.value("authorization"), "Bearer " + m_key);
        const QJsonObject body = QJsonDocument::fromJson(requests.first().body).object();
        QCOMPARE(body.value("model").toString(), QString("deepseek-v4-flash"));
        const QJsonArray messages = body.value("messages").toArray();
        QCOMPARE(messages.at(0).toObject().value("content").toString(),
                 QString("只修正错别字和标点，保留原意，只输出修正后的文字。"));
        QCOMPARE(messages.at(1).toObject().value("content").toString(),
                 QString("这是一段用于测试 OCR 润色速度的示例文字，请修正错别字和标点。"));
    }

    void reportsFailures_data() {
        QTest::addColumn<bool>("keyStored");
        QTest::addColumn<QVariant>("baseURL"); // "server": the test server; null: not stored
        QTest::addColumn<QVariant>("model");   // null: not stored
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("requests");
        const QVariant server("server");
        QTest::newRow("HTTP 401") << true << server << QVariant("m") << 401
                                  << QByteArray("AI benchmark failed: AI 服务请求失败（HTTP 401）。\n") << 1;
        QTest::newRow("no key stored: nothing sent")
            << false << server << QVariant("m") << 200 << QByteArray("AI benchmark failed: 请先保存 AI Key。\n") << 0;
        // The default address is DeepSeek's; the empty model stops the request before
        // anything is sent.
        QTest::newRow("stored empty model") << true << QVariant() << QVariant("") << 200
                                            << QByteArray("AI benchmark failed: 请先填写模型并保存 API Key。\n") << 0;
        QTest::newRow("stored empty address")
            << true << QVariant("") << QVariant() << 200
            << QByteArray("AI benchmark failed: AI 地址必须是 HTTPS API 根地址。\n") << 0;
        QTest::newRow("no text in the reply")
            << true << server << QVariant("m") << 200 << QByteArray("AI benchmark failed: AI 服务未返回文字。\n") << 1;
    }

    void reportsFailures() {
        QFETCH(bool, keyStored);
        QFETCH(QVariant, baseURL);
        QFETCH(QVariant, model);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        QFETCH(int, requests);
        if (keyStored)
            QVERIFY(KeyringTestSupport::store(m_item, m_key));
        storeDefaults(baseURL == QVariant("server") ? QVariant(m_server->url("/v1")) : baseURL, model);
        m_server->setResponse(
            HttpsTestServer::reply(status, status == 200 ? QByteArray(R"({"choices":[]})") : QByteArray("denied")));

        const auto result = runBenchmark();
        QVERIFY2(result.finished, result.standardError.constData());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput, QByteArray());
        QCOMPARE(QString::fromUtf8(result.standardError), QString::fromUtf8(message));
        QCOMPARE(m_server->requests().size(), requests);
    }

    // The key as other clients may have stored it, a locked keyring, and a
    // locale whose numbers have a decimal comma.
    void storedKeysAndLocales_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<QByteArray>("message"); // empty: the benchmark succeeds with m_key
        QTest::newRow("newline of secret-tool's piped input") << m_key + '\n' << false << false << QByteArray();
        QTest::newRow("CRLF and blanks") << "  " + m_key + " \r\n" << false << false << QByteArray();
        QTest::newRow("control character inside")
            << QByteArray("sk-bench\x01mark\n") << false << false
            << QByteArray("AI benchmark failed: API Key 含有控制字符，请重新保存。\n");
        QTest::newRow("locked keyring") << m_key << true << false
                                        << QByteArray("AI benchmark failed: 钥匙串已锁定，请先解锁后重试。\n");
        QTest::newRow("decimal-comma locale") << m_key << false << true << QByteArray();
    }

    void storedKeysAndLocales() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, locked);
        QFETCH(bool, decimalComma);
        QFETCH(QByteArray, message);
        QVERIFY(KeyringTestSupport::store(m_item, stored));
        storeDefaults(m_server->url("/v1"), QVariant("m"));
        m_server->setResponse(HttpsTestServer::completion("好"));
        std::optional<QProcessEnvironment> environment = QProcessEnvironment::systemEnvironment();
        if (decimalComma)
            environment = TestSupport::decimalCommaEnvironment();
        QVERIFY(environment.has_value());
        if (locked)
            QVERIFY(KeyringTestSupport::lockDefaultCollection());
        const auto unlock = qScopeGuard([locked] {
            if (locked)
                QVERIFY(KeyringTestSupport::unlockDefaultCollection());
        });

        const auto result = runBenchmark(*environment);
        QVERIFY2(result.finished, result.standardError.constData());
        if (!message.isEmpty()) {
            QCOMPARE(QString::fromUtf8(result.standardError), QString::fromUtf8(message));
            QCOMPARE(result.exitCode, 1);
            QCOMPARE(result.standardOutput, QByteArray());
            QVERIFY(m_server->requests().isEmpty());
            return;
        }
        QCOMPARE(result.standardError, QByteArray());
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(QRegularExpression("\\Aai_seconds=\\d+\\.\\d{3} output_characters=1\\n\\z")
                     .match(QString::fromUtf8(result.standardOutput))
                     .hasMatch(),
                 result.standardOutput.constData());
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().headers.value("authorization"), "Bearer " + m_key);
    }

    void reportsAnUnreachableKeyring() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_config->path());
        const auto result = KeyringTestSupport::runWithoutSecretService(TestSupport::velloraExecutable(),
                                                                        {"--benchmark-ai"}, {}, environment);
        QVERIFY2(result.finished, result.standardError.constData());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput, QByteArray());
        // The private bus's daemon may say something of its own; vellora says one line.
        QStringList lines = QString::fromUtf8(result.standardError).split('\n', Qt::SkipEmptyParts);
        lines.removeIf([](const QString &line) { return line.startsWith("dbus-daemon["); });
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("AI benchmark failed: "), qPrintable(lines.first()));
        QVERIFY(m_server->requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAIBenchmark)
#include "TestAIBenchmark.moc"

#include "TextPolisher.h"
#include "TestSupport.h"

#include "HttpsTestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTest>

namespace {

const QString secretKey = QStringLiteral("sk-vellora-test-5f1e9c");
const QString prompt = QStringLiteral("只修正错别字和标点。");

// Waits on the event loop (never blocking it) for the polish to end.
std::optional<Result<QString>> waitFor(const QFuture<Result<QString>> &future, int timeoutMs = 20000) {
    if (!QTest::qWaitFor([&] { return future.isFinished(); }, timeoutMs) || future.isCanceled())
        return std::nullopt;
    return future.result();
}

// What went wrong, for the messages of failed checks.
QString failureText(const Result<QString> &result) {
    return result.ok() ? QString() : result.error().domain + QStringLiteral(": ") + result.error().description;
}

QJsonObject jsonObject(const QByteArray &bytes) {
    return QJsonDocument::fromJson(bytes).object();
}

} // namespace

class TestTextPolisher final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<HttpsTestServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_session;

    // Polishes through the test server and checks no error text leaks the key.
    std::optional<Result<QString>> polish(const QString &baseURL, const QString &model = QStringLiteral("m"),
                                          const QString &text = QStringLiteral("文字"),
                                          std::chrono::milliseconds timeout = TextPolisher::requestTimeout) {
        auto result = waitFor(TextPolisher::polish(text, baseURL, model, prompt, secretKey, m_session.get(), timeout));
        if (result && !result->ok())
            QTest::qVerify(!result->error().description.contains(secretKey), "key in error", "", __FILE__, __LINE__);
        return result;
    }

private slots:
    void initTestCase() {
        m_server = std::make_unique<HttpsTestServer>();
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errorString()));
        qputenv("VELLORA_EXTRA_CA_CERTS", m_server->caCertificatePath().toUtf8());
        m_session = std::make_unique<QNetworkAccessManager>();
    }

    void init() {
        m_server->clearRequests();
        m_server->setResponse(HttpsTestServer::completion(QStringLiteral("好")));
    }

    void rejectsBeforeSending_data() {
        QTest::addColumn<QString>("baseURL");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        const QString address = QStringLiteral("AI 地址必须是 HTTPS API 根地址。");
        const QString missing = QStringLiteral("请先填写模型并保存 API Key。");
        const QString good = QStringLiteral("https://127.0.0.1:1/v1");
        QTest::newRow("http") << "http://api.deepseek.com/v1"
                              << "m" << secretKey << address;
        QTest::newRow("scheme in capitals") << "HTTPS://api.deepseek.com/v1"
                                            << "m" << secretKey << address;
        QTest::newRow("user name") << "https://me@api.deepseek.com/v1"
                                   << "m" << secretKey << address;
        QTest::newRow("user and password") << "https://me:pw@api.deepseek.com/v1"
                                           << "m" << secretKey << address;
        QTest::newRow("query") << "https://api.deepseek.com/v1?x=1"
                               << "m" << secretKey << address;
        QTest::newRow("bare question mark") << "https://api.deepseek.com/v1?"
                                            << "m" << secretKey << address;
        QTest::newRow("fragment") << "https://api.deepseek.com/v1#top"
                                  << "m" << secretKey << address;
        QTest::newRow("bare hash") << "https://api.deepseek.com/v1#"
                                   << "m" << secretKey << address;
        QTest::newRow("not a URL") << "api deepseek com"
                                   << "m" << secretKey << address;
        QTest::newRow("no host") << "https:///v1"
                                 << "m" << secretKey << address;
        QTest::newRow("empty address") << ""
                                       << "m" << secretKey << address;
        QTest::newRow("empty key, bad address") << "ftp://x"
                                                << "m" << QString() << address;
        QTest::newRow("empty model, bad address") << "http://x"
                                                  << "" << secretKey << address;
        QTest::newRow("empty model") << good << "" << secretKey << missing;
        QTest::newRow("blank model") << good << " \n\t" << secretKey << missing;
        QTest::newRow("empty key") << good << "m" << QString() << missing;
        // A line break would split the Authorization header; no service issues
        // keys with control characters, and saying so beats "save a key".
        const QString control = QStringLiteral("API Key 含有控制字符，请重新保存。");
        QTest::newRow("key with line break") << good << "m"
                                             << "sk-1\r\nX-Injected: 1" << control;
        QTest::newRow("key with NUL") << good << "m" << QStringLiteral("sk-a") + QChar(0) + QStringLiteral("b")
                                      << control;
        QTest::newRow("key with tab") << good << "m" << "sk-a\tb" << control;
        QTest::newRow("key with DEL") << good << "m" << "sk-a\x7f" << control;
        QTest::newRow("key with C1 control") << good << "m" << QStringLiteral("sk-a\u0085") << control;
    }

    void rejectsBeforeSending() {
        QFETCH(QString, baseURL);
        QFETCH(QString, model);
        QFETCH(QString, key);
        QFETCH(QString, message);
        QNetworkAccessManager session;
        const auto result = waitFor(TextPolisher::polish(QStringLiteral("t"), baseURL, model, prompt, key, &session));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error(), (Error{QStringLiteral("Vellora.AI"), 1, message}));
    }

    void sendsTheExactRequest() {
        const QString text = QStringLiteral("\n第一行 \n第二行\n");
        const auto result =
            polish(QStringLiteral(" \n") + m_server->url(QStringLiteral("/v1/")) + QStringLiteral("\t "),
                   QStringLiteral("  deepseek-v4-flash\n"), text);
        QVERIFY(result);
        QVERIFY2(result->ok(), qPrintable(failureText(*result)));
        QCOMPARE(result->value(), QStringLiteral("好"));

        const auto requests = m_server->requests();
        QCOMPARE(requests.size(), 1);
        const auto &request = requests.first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/v1/chat/completions"));
        QCOMPARE(request.headers.value("authorization"), "Bearer " + secretKey.toUtf8());
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));

        // The local host is no known provider: exactly the two keys, the model trimmed,
        // prompt and text unchanged.
        const QJsonObject body = jsonObject(request.body);
        QCOMPARE(body.keys(), (QStringList{"messages", "model"}));
        QCOMPARE(body.value("model").toString(), QStringLiteral("deepseek-v4-flash"));
        const QJsonObject expectedSystem{{"role", "system"}, {"content", prompt}};
        const QJsonObject expectedUser{{"role", "user"}, {"content", text}};
        QCOMPARE(body.value("messages").toArray(), (QJsonArray{expectedSystem, expectedUser}));
    }

    void formsTheEndpoint_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << "" << QByteArray("/chat/completions");
        QTest::newRow("slash") << "/" << QByteArray("/chat/completions");
        QTest::newRow("/v1") << "/v1" << QByteArray("/v1/chat/completions");
        QTest::newRow("/v1/") << "/v1/" << QByteArray("/v1/chat/completions");
        QTest::newRow("two segments") << "/a/b" << QByteArray("/a/b/chat/completions");
        QTest::newRow("outer slashes") << "//v1//" << QByteArray("/v1/chat/completions");
        QTest::newRow("inner slashes stay") << "/a//b/" << QByteArray("/a//b/chat/completions");
        QTest::newRow("encoded space") << "/my%20api" << QByteArray("/my%20api/chat/completions");
    }

    void formsTheEndpoint() {
        QFETCH(QString, path);
        QFETCH(QByteArray, expected);
        const auto result = polish(m_server->url(path));
        QVERIFY(result);
        QVERIFY2(result->ok(), qPrintable(failureText(*result)));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().path, expected);
    }

    void judgesTheReply_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");         // the result, or
        QTest::addColumn<QString>("errorDomain");  // the error's domain and
        QTest::addColumn<QString>("errorMessage"); // description (empty: any)
        const QString ai = QStringLiteral("Vellora.AI");
        const QString decoding = QStringLiteral("Vellora.AI.Decoding");
        const QString noText = QStringLiteral("AI 服务未返回文字。");
        const QByteArray secretBody = R"({"error":{"message":"invalid key sk-vellora-test-5f1e9c"}})";

        QTest::newRow("401") << 401 << secretBody << "" << ai << "AI 服务请求失败（HTTP 401）。";
        QTest::newRow("500") << 500 << QByteArray("oops") << "" << ai << "AI 服务请求失败（HTTP 500）。";
        QTest::newRow("204 without body") << 204 << QByteArray() << "" << decoding << "";
        QTest::newRow("not JSON") << 200 << QByteArray("<html>busy</html>") << "" << decoding << "";
        QTest::newRow("no choices key") << 200 << QByteArray(R"({"id":"x"})") << "" << decoding << "";
        QTest::newRow("choices not an array") << 200 << QByteArray(R"({"choices":{}})") << "" << decoding << "";
        QTest::newRow("choice without message") << 200 << QByteArray(R"({"choices":[{}]})") << "" << decoding << "";
        QTest::newRow("content is a number")
            << 200 << QByteArray(R"({"choices":[{"message":{"content":5}}]})") << "" << decoding << "";
        QTest::newRow("empty choices") << 200 << QByteArray(R"({"choices":[]})") << "" << ai << noText;
        QTest::newRow("content null") << 200 << QByteArray(R"({"choices":[{"message":{"content":null}}]})") << "" << ai
                                      << noText;
        QTest::newRow("content missing") << 200 << QByteArray(R"({"choices":[{"message":{"role":"assistant"}}]})") << ""
                                         << ai << noText;
        QTest::newRow("blank content") << 200 << HttpsTestServer::completionBody(QStringLiteral(" \n\u3000\t\n")) << ""
                                       << ai << noText;
        QTest::newRow("surrounding blank lines")
            << 200 << HttpsTestServer::completionBody(QStringLiteral("\n\n  第一行\n\n第二行  \n\n"))
            << "第一行\n\n第二行"
            << ""
            << "";
        QTest::newRow("nothing else stripped")
            << 200 << HttpsTestServer::completionBody(QStringLiteral("```\n“引号”\n```")) << "```\n“引号”\n```"
            << ""
            << "";
        QTest::newRow("later choices ignored")
            << 200
            << QByteArray(R"({"choices":[{"message":{"content":"一"}},{"message":{"content":"二"}}],"usage":{}})")
            << "一"
            << ""
            << "";
        QTest::newRow("first choice empty, second ignored")
            << 200 << QByteArray(R"({"choices":[{"message":{"content":""}},{"message":{"content":"二"}}]})") << "" << ai
            << noText;
    }

    void judgesTheReply() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QFETCH(QString, errorDomain);
        QFETCH(QString, errorMessage);
        m_server->setResponse(HttpsTestServer::reply(status, body));
        const auto result = polish(m_server->url(QStringLiteral("/v1")));
        QVERIFY(result);
        if (errorDomain.isEmpty()) {
            QVERIFY2(result->ok(), qPrintable(failureText(*result)));
            QCOMPARE(result->value(), text);
            return;
        }
        QVERIFY(!result->ok());
        QCOMPARE(result->error().domain, errorDomain);
        QVERIFY(!result->error().description.isEmpty());
        if (!errorMessage.isEmpty())
            QCOMPARE(result->error().description, errorMessage);
        // The reply's body is never shown.
        QVERIFY(!result->error().description.contains(QStringLiteral("busy")));
        QVERIFY(!result->error().description.contains(QStringLiteral("invalid key")));
    }

    void keepsTheKeyOnItsOrigin() {
        // Same server, another host name: a different origin.
        const QByteArray elsewhere = m_server->url("/moved").replace("127.0.0.1", "localhost").toUtf8();
        m_server->setHandler([elsewhere](const HttpsTestServer::Request &request) {
            if (request.path == "/v1/chat/completions")
                return HttpsTestServer::redirect(307, elsewhere);
            return HttpsTestServer::completion(QStringLiteral("好"));
        });
        const auto result = polish(m_server->url(QStringLiteral("/v1")));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(m_server->requests().size(), 1);

        // Within the origin a redirect is followed, key and body included.
        m_server->clearRequests();
        const QByteArray moved = m_server->url("/v2/chat/completions").toUtf8();
        m_server->setHandler([moved](const HttpsTestServer::Request &request) {
            if (request.path == "/v1/chat/completions")
                return HttpsTestServer::redirect(307, moved);
            return HttpsTestServer::completion(QStringLiteral("好"));
        });
        const auto followed = polish(m_server->url(QStringLiteral("/v1")));
        QVERIFY(followed);
        QVERIFY2(followed->ok(), qPrintable(failureText(*followed)));
        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(m_server->requests().at(1).path, QByteArray("/v2/chat/completions"));
        QCOMPARE(m_server->requests().at(1).headers.value("authorization"), "Bearer " + secretKey.toUtf8());
        QCOMPARE(m_server->requests().at(1).body, m_server->requests().at(0).body);
    }

    void refusesAnOversizedReply() {
        // Valid JSON, but far beyond any polished text.
        const QString huge(3 * 1024 * 1024, u'字'); // 9 MiB of UTF-8
        m_server->setResponse(HttpsTestServer::completion(huge));
        const auto result = polish(m_server->url(QStringLiteral("/v1")));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error().domain, QStringLiteral("Vellora.AI.Decoding"));
        QCOMPARE(result->error().code, qint64(3));
    }

    void timesOutWhenTheServerNeverAnswers() {
        m_server->setResponse(HttpsTestServer::silence());
        const auto result = polish(m_server->url(QStringLiteral("/v1")), QStringLiteral("m"), QStringLiteral("t"),
                                   std::chrono::milliseconds(500));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error().domain, QStringLiteral("QNetworkReply"));
        QCOMPARE(result->error().code, qint64(QNetworkReply::TimeoutError));
        QCOMPARE(m_server->requests().size(), 1);
    }

    void reportsARefusedConnection() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        const auto result = polish(QStringLiteral("https://127.0.0.1:%1/v1").arg(port));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error().domain, QStringLiteral("QNetworkReply"));
        QCOMPARE(result->error().code, qint64(QNetworkReply::ConnectionRefusedError));
        QVERIFY(!result->error().description.isEmpty());
    }

    void refusesAnUntrustedCertificate() {
        // A server of its own and a session of its own, so no TLS session of the
        // trusted tests can be resumed.
        HttpsTestServer untrusted;
        QVERIFY2(untrusted.isListening(), qPrintable(untrusted.errorString()));
        untrusted.setResponse(HttpsTestServer::completion(QStringLiteral("好")));
        TestSupport::EnvironmentChange environment;
        environment.unset("VELLORA_EXTRA_CA_CERTS");
        QNetworkAccessManager session;
        const auto result = waitFor(TextPolisher::polish(QStringLiteral("t"), untrusted.url(QStringLiteral("/v1")),
                                                         QStringLiteral("m"), prompt, secretKey, &session));
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error().domain, QStringLiteral("QNetworkReply"));
        QCOMPARE(result->error().code, qint64(QNetworkReply::SslHandshakeFailedError));
        QVERIFY(untrusted.requests().isEmpty());
    }

    void runsSeveralAtOnce() {
        // Each answer echoes its own request's text.
        m_server->setHandler([](const HttpsTestServer::Request &request) {
            const QString text =
                jsonObject(request.body).value("messages").toArray().at(1).toObject().value("content").toString();
            return HttpsTestServer::completion(text + QStringLiteral("。"));
        });
        QList<QFuture<Result<QString>>> futures;
        for (int i = 0; i < 4; ++i)
            futures.append(TextPolisher::polish(QStringLiteral("第%1段").arg(i), m_server->url(QStringLiteral("/v1")),
                                                QStringLiteral("m"), prompt, secretKey, m_session.get()));
        for (int i = 0; i < 4; ++i) {
            const auto result = waitFor(futures.at(i));
            QVERIFY(result);
            QVERIFY2(result->ok(), qPrintable(failureText(*result)));
            QCOMPARE(result->value(), QStringLiteral("第%1段。").arg(i));
        }
    }

    // The provider's switch travels in the real request. The session reaches the
    // provider hosts through the test server acting as a CONNECT proxy on
    // 127.0.0.1, which answers as those hosts; nothing leaves the machine.
    void addsTheProvidersSwitch_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("field");    // the one extra key, or empty
        QTest::addColumn<QJsonValue>("value"); // its value
        QTest::newRow("thinkingDisabled") << "api.deepseek.com"
                                          << "DeepSeek-Chat"
                                          << "thinking" << QJsonValue(QJsonObject{{"type", "disabled"}});
        QTest::newRow("enableThinkingFalse") << "dashscope.aliyuncs.com"
                                             << "qwen3-max"
                                             << "enable_thinking" << QJsonValue(false);
        QTest::newRow("reasoningEffortNone") << "api.openai.com"
                                             << "gpt-5.4-mini"
                                             << "reasoning_effort" << QJsonValue("none");
        QTest::newRow("reasoningDisabled") << "openrouter.ai"
                                           << "openai/gpt-5.1"
                                           << "reasoning" << QJsonValue(QJsonObject{{"enabled", false}});
        QTest::newRow("unchanged") << "api.openai.com"
                                   << "gpt-4o"
                                   << "" << QJsonValue();
    }

    void addsTheProvidersSwitch() {
        QFETCH(QString, host);
        QFETCH(QString, model);
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);

        HttpsTestServer proxy(HttpsTestServer::Mode::connectProxy,
                              {"api.deepseek.com", "dashscope.aliyuncs.com", "api.openai.com", "openrouter.ai"});
        QVERIFY2(proxy.isListening(), qPrintable(proxy.errorString()));
        proxy.setResponse(HttpsTestServer::completion(QStringLiteral("好")));
        TestSupport::EnvironmentChange environment;
        environment.set("VELLORA_EXTRA_CA_CERTS", proxy.caCertificatePath().toUtf8());
        QNetworkAccessManager session;
        session.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.port()));

        const auto result = waitFor(TextPolisher::polish(QStringLiteral("文字"),
                                                         QStringLiteral("https://") + host + QStringLiteral("/v1"),
                                                         model, prompt, secretKey, &session));
        QVERIFY(result);
        QVERIFY2(result->ok(), qPrintable(failureText(*result)));

        const auto requests = proxy.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().tunnelTarget, host.toUtf8() + ":443");
        QCOMPARE(requests.first().path, QByteArray("/v1/chat/completions"));
        QJsonObject body = jsonObject(requests.first().body);
        QCOMPARE(body.take("model").toString(), model);
        QVERIFY(body.contains("messages"));
        body.remove("messages");
        if (field.isEmpty()) {
            QVERIFY(body.isEmpty());
        } else {
            QCOMPARE(body.keys(), QStringList{field});
            QCOMPARE(body.value(field), value);
        }
    }
};

QTEST_GUILESS_MAIN(TestTextPolisher)
#include "TestTextPolisher.moc"

#include "TextPolisher.h"

#include "PolishingReasoningPolicy.h"
#include "TrustedAuthorities.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QSslConfiguration>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>

namespace TextPolisher {
namespace {

using Promise = QPromise<Result<QString>>;

Error aiError(const QString &message) {
    return Error{QStringLiteral("Vellora.AI"), 1, message};
}

QString invalidAddressMessage() {
    return QStringLiteral("AI 地址必须是 HTTPS API 根地址。");
}

QString missingModelOrKeyMessage() {
    return QStringLiteral("请先填写模型并保存 API Key。");
}

QString keyControlCharactersMessage() {
    return QStringLiteral("API Key 含有控制字符，请重新保存。");
}

QString invalidEndpointMessage() {
    return QStringLiteral("AI 地址无效。");
}

QString requestFailedMessage(int status) {
    return QStringLiteral("AI 服务请求失败（HTTP ") + QString::number(status) + QStringLiteral("）。");
}

QString noTextMessage() {
    return QStringLiteral("AI 服务未返回文字。");
}

// Errors of the response decoder, in the manner of a JSON decoder: not JSON at
// all (1), JSON of another shape (2), or too large to be read (3).
Error decodingError(qint64 code, const QString &detail) {
    return Error{QStringLiteral("Vellora.AI.Decoding"), code,
                 QStringLiteral("The AI service's reply could not be read: ") + detail};
}

// A key that could not travel in an HTTP header value as it stands (line breaks
// would split the header, other control characters make the request invalid)
// and that no service issues.
bool hasControlCharacters(const QString &key) {
    return std::any_of(key.cbegin(), key.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// The service's API root as typed, checked: trimmed, an absolute https URL
// with a host, no user info, no query and no fragment.
std::optional<QUrl> validatedAPIRoot(const QString &baseURL) {
    const QString trimmed = baseURL.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    // QUrl lowercases the scheme; the address must name it exactly as "https".
    if (!trimmed.startsWith(QStringLiteral("https:")) || url.scheme() != QStringLiteral("https"))
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    if (!url.userName().isEmpty() || !url.password().isEmpty() || trimmed.section(u'/', 2, 2).contains(u'@'))
        return std::nullopt;
    if (url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return url;
}

// <root path without outer slashes>/chat/completions, always absolute.
std::optional<QUrl> endpoint(QUrl root) {
    QString path = root.path(QUrl::FullyEncoded);
    qsizetype begin = 0;
    qsizetype end = path.size();
    while (begin < end && path.at(begin) == u'/')
        ++begin;
    while (end > begin && path.at(end - 1) == u'/')
        --end;
    path = path.mid(begin, end - begin) + QStringLiteral("/chat/completions");
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    root.setPath(path, QUrl::TolerantMode);
    if (!root.isValid())
        return std::nullopt;
    return root;
}

QByteArray requestBody(const QString &model, const QString &prompt, const QString &text,
                       PolishingReasoningPolicy::Control control) {
    using PolishingReasoningPolicy::Control;
    const QJsonArray messages{
        QJsonObject{{QStringLiteral("role"), QStringLiteral("system")}, {QStringLiteral("content"), prompt}},
        QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), text}},
    };
    QJsonObject body{{QStringLiteral("model"), model}, {QStringLiteral("messages"), messages}};
    switch (control) {
    case Control::thinkingDisabled:
        body.insert(QStringLiteral("thinking"), QJsonObject{{QStringLiteral("type"), QStringLiteral("disabled")}});
        break;
    case Control::enableThinkingFalse:
        body.insert(QStringLiteral("enable_thinking"), false);
        break;
    case Control::reasoningEffortNone:
        body.insert(QStringLiteral("reasoning_effort"), QStringLiteral("none"));
        break;
    case Control::reasoningDisabled:
        body.insert(QStringLiteral("reasoning"), QJsonObject{{QStringLiteral("enabled"), false}});
        break;
    case Control::unchanged:
        break;
    }
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

// The first choice's text, or why there is none. Decodes the reply as
// {"choices": [{"message": {"content": text or null or missing}}, …]}; other
// keys are ignored.
Result<QString> decodeReply(const QByteArray &body) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return decodingError(1, QStringLiteral("it is not valid JSON (%1 at offset %2).")
                                    .arg(parseError.errorString())
                                    .arg(parseError.offset));
    if (!document.isObject())
        return decodingError(2, QStringLiteral("it is not a JSON object."));
    const QJsonValue choicesValue = document.object().value(QStringLiteral("choices"));
    if (!choicesValue.isArray())
        return decodingError(2, choicesValue.isUndefined() ? QStringLiteral("the key \"choices\" is missing.")
                                                           : QStringLiteral("\"choices\" is not an array."));
    const QJsonArray choices = choicesValue.toArray();
    std::optional<QString> firstContent;
    for (qsizetype i = 0; i < choices.size(); ++i) {
        const QJsonValue message = choices.at(i).toObject().value(QStringLiteral("message"));
        if (!choices.at(i).isObject() || !message.isObject())
            return decodingError(2, QStringLiteral("choice %1 has no \"message\" object.").arg(i));
        const QJsonValue content = message.toObject().value(QStringLiteral("content"));
        if (!content.isUndefined() && !content.isNull() && !content.isString())
            return decodingError(2, QStringLiteral("the \"content\" of choice %1 is not text.").arg(i));
        if (i == 0 && content.isString())
            firstContent = content.toString();
    }
    if (!firstContent)
        return aiError(noTextMessage());
    const QString trimmed = firstContent->trimmed();
    if (trimmed.isEmpty())
        return aiError(noTextMessage());
    return trimmed;
}

// Why the client itself ended a transfer.
struct Interruption {
    bool timedOut = false;
    bool tooLarge = false;
};

// A polished text is a few kilobytes; a reply far beyond that is not one, and
// is not held in memory.
constexpr qint64 maximumReplyBytes = 8 * 1024 * 1024;

Result<QString> judgeReply(QNetworkReply *reply, const Interruption &interruption) {
    if (interruption.timedOut)
        return Error{QStringLiteral("QNetworkReply"), QNetworkReply::TimeoutError,
                     QStringLiteral("The request timed out.")};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (reply->error() != QNetworkReply::NoError)
            return Error{QStringLiteral("QNetworkReply"), reply->error(), reply->errorString()};
        return aiError(requestFailedMessage(0));
    }
    const int code = status.toInt();
    if (code < 200 || code > 299)
        return aiError(requestFailedMessage(code));
    if (interruption.tooLarge)
        return decodingError(3, QStringLiteral("it is larger than %1 MiB.").arg(maximumReplyBytes / (1024 * 1024)));
    // A 2xx header followed by a broken transfer.
    if (reply->error() != QNetworkReply::NoError)
        return Error{QStringLiteral("QNetworkReply"), reply->error(), reply->errorString()};
    return decodeReply(reply->readAll());
}

void send(const std::shared_ptr<Promise> &promise, QNetworkAccessManager *session, QNetworkRequest request,
          const QByteArray &body, std::chrono::milliseconds timeout,
          const std::optional<QSslConfiguration> &tlsConfiguration) {
    if (tlsConfiguration)
        request.setSslConfiguration(*tlsConfiguration);
    QNetworkReply *reply = session->post(request, body);
    auto interruption = std::make_shared<Interruption>();
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply, [reply, interruption] {
        interruption->timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, interruption](qint64 received, qint64) {
        if (received > maximumReplyBytes && !interruption->tooLarge) {
            interruption->tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, promise, interruption, timer] {
        timer->stop();
        reply->deleteLater();
        promise->addResult(judgeReply(reply, *interruption));
        promise->finish();
    });
    timer->start(timeout);
}

QFuture<Result<QString>> finished(const Result<QString> &result) {
    Promise promise;
    promise.start();
    promise.addResult(result);
    promise.finish();
    return promise.future();
}

} // namespace

QFuture<Result<QString>> polish(const QString &text, const QString &baseURL, const QString &model,
                                const QString &prompt, const QString &key, QNetworkAccessManager *session,
                                std::chrono::milliseconds timeout) {
    const std::optional<QUrl> root = validatedAPIRoot(baseURL);
    if (!root)
        return finished(aiError(invalidAddressMessage()));
    const QString trimmedModel = model.trimmed();
    if (trimmedModel.isEmpty() || key.isEmpty())
        return finished(aiError(missingModelOrKeyMessage()));
    if (hasControlCharacters(key))
        return finished(aiError(keyControlCharactersMessage()));
    const std::optional<QUrl> url = endpoint(*root);
    if (!url)
        return finished(aiError(invalidEndpointMessage()));
    if (!session)
        return finished(aiError(requestFailedMessage(0)));
    Q_ASSERT_X(session->thread() == QThread::currentThread(), "TextPolisher::polish",
               "must be called on the session's thread");

    QNetworkRequest request(*url);
    request.setRawHeader("Authorization", "Bearer " + key.toUtf8());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    // The key travels in a header; a redirect may not carry it to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    const auto control = PolishingReasoningPolicy::control(root->host(), trimmedModel);
    const QByteArray body = requestBody(trimmedModel, prompt, text, control);

    auto promise = std::make_shared<Promise>();
    promise->start();
    QFuture<Result<QString>> future = promise->future();

    TrustedAuthorities::withConfiguration(
        session, [promise, session, request, body, timeout](const std::optional<QSslConfiguration> &tls) {
            send(promise, session, request, body, timeout, tls);
        });
    return future;
}

} // namespace TextPolisher

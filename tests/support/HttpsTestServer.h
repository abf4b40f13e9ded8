#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QThread;
class HttpsTestListener;

// A small HTTPS/1.1 server on 127.0.0.1 for network tests. It makes its own
// certificate authority and server certificate with openssl at start, so a
// client trusts it only when handed caCertificatePath() (for Vellora through
// VELLORA_EXTRA_CA_CERTS). It serves from a thread of its own, so a test may
// block on a child process while the server answers.
//
// In connectProxy mode it is also an HTTP proxy: each connection starts with
// "CONNECT host:port", is answered 200, and then speaks TLS as the named host
// (the certificate covers every host given to the constructor). A client
// configured with this proxy can address real provider hosts while its bytes
// never leave the machine.
class HttpsTestServer final {
public:
    enum class Mode { direct, connectProxy };

    struct Request {
        QByteArray tunnelTarget; // "host:port" of the CONNECT line, proxy mode only
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body = {};
    };

    struct Response {
        int status = 200;
        QByteArray body = {};
        QByteArray contentType = "application/json";
        bool neverAnswer = false; // keep the connection open and silent
        QByteArray location = {}; // a Location header, for redirects
        bool omitContentLength = false; // the body ends when the connection closes
    };

    using Handler = std::function<Response(const Request &)>;

    explicit HttpsTestServer(Mode mode = Mode::direct, const QStringList &extraHostNames = {});
    ~HttpsTestServer();
    HttpsTestServer(const HttpsTestServer &) = delete;
    HttpsTestServer &operator=(const HttpsTestServer &) = delete;

    // False when the certificates could not be made or the port not opened;
    // errorString() then says why.
    bool isListening() const;
    QString errorString() const;

    quint16 port() const;
    // "https://127.0.0.1:<port>" followed by path.
    QString url(const QString &path = {}) const;
    // The PEM file of the test certificate authority.
    QString caCertificatePath() const;

    // Every later request is answered by handler (called on the server's thread).
    void setHandler(Handler handler);
    // Shorthand: every later request gets this response.
    void setResponse(const Response &response);

    QList<Request> requests() const;
    void clearRequests();

    // A chat-completions reply whose first choice has this content.
    static QByteArray completionBody(const QString &content);
    // Shorthands for responses.
    static Response reply(int status, const QByteArray &body);
    static Response completion(const QString &content) { return reply(200, completionBody(content)); }
    static Response silence();
    static Response redirect(int status, const QByteArray &location);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#include "HttpsTestServer.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

namespace {

struct SharedState {
    mutable QMutex mutex;
    HttpsTestServer::Handler handler;
    QList<HttpsTestServer::Request> requests;
};

struct Connection {
    QByteArray buffer;
    bool tunnelled = false;
    QByteArray tunnelTarget;
};

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 401:
        return "Unauthorized";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Runs openssl with arguments; returns its error output when it fails.
QString runOpenssl(const QString &workDir, const QStringList &arguments) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("openssl %1 failed: %2")
            .arg(arguments.value(0), QString::fromLocal8Bit(process.readAllStandardError()));
    return {};
}

} // namespace

class HttpsTestListener final : public QTcpServer {
public:
    HttpsTestListener(HttpsTestServer::Mode mode, QSslCertificate certificate, QSslKey key, SharedState *state)
        : m_mode(mode)
        , m_certificate(std::move(certificate))
        , m_key(std::move(key))
        , m_state(state) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        auto connection = std::make_shared<Connection>();
        connect(socket, &QSslSocket::readyRead, socket,
                [this, socket, connection] { onReadyRead(socket, *connection); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        if (m_mode == HttpsTestServer::Mode::direct)
            socket->startServerEncryption();
    }

private:
    void onReadyRead(QSslSocket *socket, Connection &connection) {
        connection.buffer += socket->readAll();
        if (m_mode == HttpsTestServer::Mode::connectProxy && !connection.tunnelled) {
            const qsizetype end = connection.buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> requestLine = connection.buffer.left(connection.buffer.indexOf("\r\n")).split(' ');
            connection.buffer.clear();
            if (requestLine.size() < 2 || requestLine.at(0) != "CONNECT") {
                socket->write("HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
                return;
            }
            connection.tunnelled = true;
            connection.tunnelTarget = requestLine.at(1);
            socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
            socket->startServerEncryption();
            return;
        }
        if (!socket->isEncrypted())
            return;

        const qsizetype headerEnd = connection.buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = connection.buffer.left(headerEnd).split('\n');
        HttpsTestServer::Request request;
        request.tunnelTarget = connection.tunnelTarget;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (connection.buffer.size() < headerEnd + 4 + length)
            return;
        request.body = connection.buffer.mid(headerEnd + 4, length);
        connection.buffer.remove(0, headerEnd + 4 + length);

        HttpsTestServer::Handler handler;
        {
            QMutexLocker locker(&m_state->mutex);
            m_state->requests.append(request);
            handler = m_state->handler;
        }
        const HttpsTestServer::Response response = handler ? handler(request) : HttpsTestServer::Response{};
        if (response.neverAnswer)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) +
                           "\r\nContent-Type: " + response.contentType + "\r\nConnection: close\r\n";
        if (!response.omitContentLength)
            reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        if (response.status == 401)
            reply += "WWW-Authenticate: Bearer\r\n";
        if (!response.location.isEmpty())
            reply += "Location: " + response.location + "\r\n";
        reply += "\r\n" + response.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    HttpsTestServer::Mode m_mode;
    QSslCertificate m_certificate;
    QSslKey m_key;
    SharedState *m_state;
};

struct HttpsTestServer::Private {
    QTemporaryDir directory;
    SharedState state;
    QThread thread;
    HttpsTestListener *listener = nullptr;
    quint16 port = 0;
    QString error;

    QString makeCertificates(const QStringList &hostNames) {
        if (!directory.isValid())
            return QStringLiteral("no temporary folder");
        const QString dir = directory.path();
        QStringList alternativeNames{QStringLiteral("IP:127.0.0.1"), QStringLiteral("DNS:localhost")};
        for (const QString &host : hostNames)
            alternativeNames.append(QStringLiteral("DNS:") + host);
        QFile extensions(QDir(dir).filePath(QStringLiteral("server.ext")));
        if (!extensions.open(QIODevice::WriteOnly))
            return extensions.errorString();
        extensions.write("basicConstraints=critical,CA:FALSE\n"
                         "keyUsage=critical,digitalSignature\n"
                         "extendedKeyUsage=serverAuth\n"
                         "subjectAltName=" +
                         alternativeNames.join(u',').toUtf8() + "\n");
        extensions.close();

        const QStringList ecKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                                QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        QString failure = runOpenssl(
            dir, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
                     QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                                 QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                                 QStringLiteral("-subj"), QStringLiteral("/CN=Vellora Test CA"),
                                 QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                 QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
        if (failure.isEmpty())
            failure = runOpenssl(dir, QStringList{QStringLiteral("req")} + ecKey +
                                          QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                                      QStringLiteral("-out"), QStringLiteral("server.csr"),
                                                      QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
        if (failure.isEmpty())
            failure =
                runOpenssl(dir, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                                 QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                                 QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                                 QStringLiteral("-out"), QStringLiteral("server.pem"), QStringLiteral("-days"),
                                 QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("server.ext")});
        return failure;
    }
};

HttpsTestServer::HttpsTestServer(Mode mode, const QStringList &extraHostNames)
    : d(std::make_unique<Private>()) {
    d->error = d->makeCertificates(extraHostNames);
    if (!d->error.isEmpty())
        return;
    const QDir dir(d->directory.path());
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromPath(dir.filePath(QStringLiteral("server.pem")), QSsl::Pem);
    QFile keyFile(dir.filePath(QStringLiteral("server.key")));
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
        d->error = QStringLiteral("the generated server certificate could not be read");
        return;
    }
    const QSslKey key(keyFile.readAll(), QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        d->error = QStringLiteral("the generated server key could not be read");
        return;
    }

    d->listener = new HttpsTestListener(mode, certificates.first(), key, &d->state);
    d->listener->moveToThread(&d->thread);
    d->thread.setObjectName(QStringLiteral("HttpsTestServer"));
    d->thread.start();
    QMetaObject::invokeMethod(
        d->listener,
        [this] {
            if (d->listener->listen(QHostAddress::LocalHost, 0))
                d->port = d->listener->serverPort();
            else
                d->error = d->listener->errorString();
        },
        Qt::BlockingQueuedConnection);
}

HttpsTestServer::~HttpsTestServer() {
    if (d->listener) {
        // Sockets and the listener belong to the server's thread; end them there.
        QMetaObject::invokeMethod(
            d->listener, [this] { delete d->listener; }, Qt::BlockingQueuedConnection);
        d->listener = nullptr;
    }
    d->thread.quit();
    d->thread.wait();
}

bool HttpsTestServer::isListening() const {
    return d->error.isEmpty() && d->port != 0;
}

QString HttpsTestServer::errorString() const {
    return d->error;
}

quint16 HttpsTestServer::port() const {
    return d->port;
}

QString HttpsTestServer::url(const QString &path) const {
    return QStringLiteral("https://127.0.0.1:%1").arg(d->port) + path;
}

QString HttpsTestServer::caCertificatePath() const {
    return QDir(d->directory.path()).filePath(QStringLiteral("ca.pem"));
}

void HttpsTestServer::setHandler(Handler handler) {
    QMutexLocker locker(&d->state.mutex);
    d->state.handler = std::move(handler);
}

void HttpsTestServer::setResponse(const Response &response) {
    setHandler([response](const Request &) { return response; });
}

QList<HttpsTestServer::Request> HttpsTestServer::requests() const {
    QMutexLocker locker(&d->state.mutex);
    return d->state.requests;
}

void HttpsTestServer::clearRequests() {
    QMutexLocker locker(&d->state.mutex);
    d->state.requests.clear();
}

QByteArray HttpsTestServer::completionBody(const QString &content) {
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("choices"), QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

HttpsTestServer::Response HttpsTestServer::reply(int status, const QByteArray &body) {
    Response response;
    response.status = status;
    response.body = body;
    return response;
}

HttpsTestServer::Response HttpsTestServer::silence() {
    Response response;
    response.neverAnswer = true;
    return response;
}

HttpsTestServer::Response HttpsTestServer::redirect(int status, const QByteArray &location) {
    Response response;
    response.status = status;
    response.location = location;
    return response;
}

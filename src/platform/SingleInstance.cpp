#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr int ReplyTimeoutMs = 3000;
constexpr char Acknowledgement = '\x06';

QString socketFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent)
{
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    m_socketPath = QDir(socketFolder()).filePath(QStringLiteral("vellora-") + QString::fromLatin1(digest));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::sendToRunning(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    QByteArray message;
    {
        QDataStream stream(&message, QIODevice::WriteOnly);
        stream << arguments;
    }
    QByteArray framed;
    {
        QDataStream stream(&framed, QIODevice::WriteOnly);
        stream << message;
    }
    socket.write(framed);
    if (!socket.waitForBytesWritten(ReplyTimeoutMs))
        return false;
    // The running instance confirms, so a dying one does not swallow the start.
    if (!socket.waitForReadyRead(ReplyTimeoutMs))
        return false;
    return socket.read(1) == QByteArray(1, Acknowledgement);
}

bool SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // A socket left behind by an instance that crashed: nobody answered it.
        QLocalServer::removeServer(m_socketPath);
        if (!m_server->listen(m_socketPath))
            return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QByteArray message;
            stream >> message;
            if (!stream.commitTransaction())
                return; // wait for the rest
            QStringList arguments;
            QDataStream payload(message);
            payload >> arguments;
            socket->write(QByteArray(1, Acknowledgement));
            socket->flush();
            emit received(arguments);
        });
    }
}

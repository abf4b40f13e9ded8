#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr int ReplyTimeoutMs = 3000;
// How long a start waits for a live instance that has not answered yet (it may
// be starting itself) before it gives up.
constexpr int ClaimTimeoutMs = 6000;
constexpr int RetryIntervalMs = 100;
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

SingleInstance::Role SingleInstance::claim(const QStringList &arguments)
{
    QDeadlineTimer deadline(ClaimTimeoutMs);
    bool delivered = false;
    for (;;) {
        // The lock is free only when no instance lives: the socket, if any, is
        // a dead one's and may go.
        m_lock = FileLock::tryLock(QFile::encodeName(lockPath()), true);
        if (m_lock)
            return listen() ? Role::Primary : Role::Failed;
        // An instance that is still starting has no socket yet: try again. One
        // that took the message without answering gets it only once.
        if (!delivered) {
            switch (sendToRunning(arguments)) {
            case Delivery::Acknowledged:
                return Role::HandedOver;
            case Delivery::NotAcknowledged:
                delivered = true;
                break;
            case Delivery::NoListener:
                break;
            }
        }
        if (deadline.hasExpired())
            return Role::OwnerNotAnswering;
        QThread::msleep(RetryIntervalMs);
    }
}

SingleInstance::Delivery SingleInstance::sendToRunning(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return Delivery::NoListener;
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
    // The running instance confirms, so a dying one does not swallow the start.
    if (!socket.waitForBytesWritten(ReplyTimeoutMs) || !socket.waitForReadyRead(ReplyTimeoutMs))
        return Delivery::NotAcknowledged;
    return socket.read(1) == QByteArray(1, Acknowledgement) ? Delivery::Acknowledged : Delivery::NotAcknowledged;
}

bool SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // A socket left behind by an instance that ended without removing it:
        // this process holds the lock, so nobody else owns it.
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

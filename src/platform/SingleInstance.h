#pragma once

#include "FileLock.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QLocalServer;

// Keeps one running instance per user session and settings: a later start hands
// its arguments to the running one over a local socket and exits. The name of
// the socket derives from a key (the settings file and display), so instances
// that use other settings do not meet.
//
// The instance holds a lock file beside the socket for its whole life; the
// system releases it when the process ends, however it ends. Only a socket
// without a live holder is ever replaced, so a start never takes over from an
// instance that is alive but does not answer (stopped, or busy).
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role {
        Primary,           // this process is the instance now, and listens
        HandedOver,        // the running instance took the arguments
        OwnerNotAnswering, // an instance holds the lock but took nothing
        Failed,            // the socket could not be made
    };

    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the instance, or hands the arguments to the one that is. Blocks
    // for at most a few seconds while a live instance does not answer; call
    // before the event loop runs.
    Role claim(const QStringList &arguments);

    QString socketPath() const { return m_socketPath; }
    QString lockPath() const { return m_socketPath + QStringLiteral(".lock"); }

signals:
    // A later start handed over its arguments.
    void received(const QStringList &arguments);

private:
    enum class Delivery { Acknowledged, NotAcknowledged, NoListener };

    // Sends arguments to a running instance and waits for its confirmation.
    Delivery sendToRunning(const QStringList &arguments);
    // Starts answering later starts; false when the socket could not be made.
    bool listen();
    void onNewConnection();

    QString m_socketPath;
    std::optional<FileLock> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

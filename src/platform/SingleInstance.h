#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;

// Keeps one running instance per user session and settings: a later start hands
// its arguments to the running one over a local socket and exits. The name of
// the socket derives from a key (the settings file and display), so instances
// that use other settings do not meet.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Sends arguments to a running instance; true when one received them.
    // Blocks for at most a few seconds; call before the event loop runs.
    bool sendToRunning(const QStringList &arguments);
    // Starts answering later starts; false when the socket could not be made.
    bool listen();

    QString socketPath() const { return m_socketPath; }

signals:
    // A later start handed over its arguments.
    void received(const QStringList &arguments);

private:
    void onNewConnection();

    QString m_socketPath;
    std::unique_ptr<QLocalServer> m_server;
};

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

class QDBusPendingCallWatcher;

// Brings the desktop portal up before it is needed, and gets it past a known
// stall of its start. The portal frontend starts the backends of the desktop
// and talks to them while it starts; xdg-desktop-portal-wlr (sway, Hyprland
// and the other wlroots desktops) can leave a message that arrives while it
// takes its bus name unread until the next one comes, and the frontend then
// hangs until its call times out: 25 s, long enough for the bus to give up
// starting it, so the first screenshot fails as if it had been refused.
//
// start() pings each backend that serves screenshots on this desktop until it
// answers (every ping is also the next message a stalled backend waits for),
// then pings the frontend, starting it where nobody has yet. It never blocks;
// finished() follows. A desktop whose backends have no such stall loses
// nothing: they answer the first ping.
class PortalStartup final : public QObject {
    Q_OBJECT

public:
    explicit PortalStartup(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // The bus names of the backends that serve screenshots on these desktops
    // (the entries of XDG_CURRENT_DESKTOP), read from the *.portal files in
    // these folders: those whose UseIn= names one of the desktops.
    static QStringList screenshotBackends(const QStringList &portalFolders, const QStringList &desktops);
    // The folders this session's portal reads its *.portal files from.
    static QStringList portalFolders();
    // This session's desktops, from XDG_CURRENT_DESKTOP.
    static QStringList currentDesktops();

    // Pings these backends, in turn, then the frontend; a second call while one
    // runs is ignored. A name nothing provides is passed over.
    void start(const QStringList &backends);
    // start() with this session's screenshot backends.
    void start();

    // How long one ping may wait before the next is sent, and how many are
    // sent to one name before it is given up.
    void setAttempts(int count, int intervalMs);

signals:
    // The frontend answered (true), or it did not within the attempts (false).
    void finished(bool portalAnswered);

private:
    void pingNext();
    void onPingFinished(QDBusPendingCallWatcher *watcher);

    QDBusConnection m_bus;
    QStringList m_pending;
    int m_attempt = 0;
    int m_attempts = 15;
    int m_intervalMs = 2000;
    bool m_running = false;
};

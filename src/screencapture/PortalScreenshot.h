#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

// A screenshot of the whole desktop from the desktop portal
// (org.freedesktop.portal.Screenshot), the way a Wayland session lets a client
// read the screen. Asks without the portal's own dialog where the portal allows
// it. The portal answers on the bus later: request() returns at once and one of
// the signals follows. GUI thread only.
class PortalScreenshot final : public QObject {
    Q_OBJECT

public:
    explicit PortalScreenshot(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~PortalScreenshot() override;

    // Asks the portal once; a second call while one runs is ignored.
    void request();

    // How long to wait for the portal's answer, which may come after a
    // permission dialog the user answers first.
    void setTimeout(int milliseconds) { m_timeout.setInterval(milliseconds); }

signals:
    // The desktop's pixels; the portal's file has been read and removed.
    void captured(const QImage &desktop);
    // No screenshot: the portal is missing, the user or the desktop refused, or
    // its file could not be read. The text says which, for standard error.
    void failed(const QString &reason);

private slots:
    // The portal's Request::Response signal (a slot by name: QtDBus connects no functors).
    void onResponse(uint response, const QVariantMap &results);

private:
    void finish(const QString &failure, const QImage &desktop = {});
    void disconnectResponse();

    QDBusConnection m_bus;
    QString m_requestPath;
    QTimer m_timeout;
    bool m_running = false;
};

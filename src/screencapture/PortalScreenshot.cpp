#include "PortalScreenshot.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusObjectPath>
#include <QFile>
#include <QUrl>
#include <QUuid>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int DefaultTimeoutMs = 120000;

// The object path the portal gives a request with this token: subscribing to
// it before the call cannot miss a quick answer.
QString requestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService();
    if (sender.startsWith(u':'))
        sender.remove(0, 1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

} // namespace

PortalScreenshot::PortalScreenshot(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(DefaultTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this,
            [this] { finish(QStringLiteral("could not create image: the desktop portal did not answer")); });
}

PortalScreenshot::~PortalScreenshot()
{
    disconnectResponse();
}

void PortalScreenshot::request()
{
    if (m_running)
        return;
    if (!m_bus.isConnected()) {
        finish(QStringLiteral("no session bus: the desktop portal cannot be asked for a screenshot"));
        return;
    }
    m_running = true;
    const QString token = QStringLiteral("vellora_") + QUuid::createUuid().toString(QUuid::Id128);
    m_requestPath = requestPath(m_bus, token);
    m_bus.connect(PortalService, m_requestPath, RequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenshotInterface,
                                                       QStringLiteral("Screenshot"));
    const QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("interactive"), false},
        {QStringLiteral("modal"), true},
    };
    call << QString() << options;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, DefaultTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        if (reply.isError()) {
            // No portal, or one without a Screenshot backend: the desktop offers no way to read the screen.
            finish(QStringLiteral("the desktop portal refused the screenshot (permission missing: %1)")
                       .arg(reply.error().message()));
            return;
        }
        // Portals before version 0.9 chose the request's path themselves.
        const QString path = reply.value().path();
        if (m_running && path != m_requestPath) {
            disconnectResponse();
            m_requestPath = path;
            m_bus.connect(PortalService, m_requestPath, RequestInterface, QStringLiteral("Response"), this,
                          SLOT(onResponse(uint, QVariantMap)));
        }
    });
    m_timeout.start();
}

void PortalScreenshot::onResponse(uint response, const QVariantMap &results)
{
    if (!m_running)
        return;
    // 0: granted; 1: the user cancelled the portal's dialog; 2: refused otherwise.
    if (response != 0) {
        finish(QStringLiteral("the desktop portal refused the screenshot (permission denied, response %1)")
                   .arg(response));
        return;
    }
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile()) {
        finish(QStringLiteral("could not create image: the desktop portal gave no file"));
        return;
    }
    const QString file = uri.toLocalFile();
    const QImage desktop(file);
    // The file is a picture of the whole desktop taken for this selection only; it is not left behind.
    QFile::remove(file);
    if (desktop.isNull()) {
        finish(QStringLiteral("could not create image: the desktop portal's file cannot be read"));
        return;
    }
    finish(QString(), desktop);
}

void PortalScreenshot::finish(const QString &failure, const QImage &desktop)
{
    m_running = false;
    m_timeout.stop();
    disconnectResponse();
    if (failure.isEmpty())
        emit captured(desktop);
    else
        emit failed(failure);
}

void PortalScreenshot::disconnectResponse()
{
    if (m_requestPath.isEmpty())
        return;
    m_bus.disconnect(PortalService, m_requestPath, RequestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

#include "PortalStartup.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString FrontendService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotBackendInterface = QStringLiteral("org.freedesktop.impl.portal.Screenshot");

// The keys of a *.portal file's [portal] group (a desktop-entry style key
// file; QSettings would take its ";" lists for comments).
QHash<QString, QString> portalKeys(const QString &path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inPortal = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inPortal = line == QLatin1String("[portal]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inPortal && equals > 0)
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

// A list value ("a;b;c;"), without empty entries.
QStringList listValue(const QHash<QString, QString> &keys, const QString &key) {
    return keys.value(key).split(u';', Qt::SkipEmptyParts);
}

} // namespace

PortalStartup::PortalStartup(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus) {}

QStringList PortalStartup::screenshotBackends(const QStringList &portalFolders, const QStringList &desktops) {
    QStringList backends;
    for (const QString &folder : portalFolders) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.portal")}, QDir::Files, QDir::Name)) {
            const QHash<QString, QString> keys = portalKeys(dir.filePath(name));
            const QString busName = keys.value(QStringLiteral("DBusName"));
            if (busName.isEmpty() || backends.contains(busName) ||
                !listValue(keys, QStringLiteral("Interfaces")).contains(ScreenshotBackendInterface))
                continue;
            const QStringList useIn = listValue(keys, QStringLiteral("UseIn"));
            const bool used = std::any_of(desktops.begin(), desktops.end(), [&useIn](const QString &desktop) {
                return useIn.contains(desktop, Qt::CaseInsensitive);
            });
            if (used)
                backends.append(busName);
        }
    }
    return backends;
}

QStringList PortalStartup::portalFolders() {
    // The portal reads XDG_DESKTOP_PORTAL_DIR alone where it is set, and the
    // data folders otherwise.
    const QString folder = qEnvironmentVariable("XDG_DESKTOP_PORTAL_DIR");
    if (!folder.isEmpty())
        return {folder};
    QStringList folders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("xdg-desktop-portal/portals"),
                                  QStandardPaths::LocateDirectory);
    const QString system = QStringLiteral("/usr/share/xdg-desktop-portal/portals");
    if (!folders.contains(system))
        folders.append(system);
    return folders;
}

QStringList PortalStartup::currentDesktops() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
}

void PortalStartup::setAttempts(int count, int intervalMs) {
    m_attempts = std::max(1, count);
    m_intervalMs = std::max(1, intervalMs);
}

void PortalStartup::start() {
    start(screenshotBackends(portalFolders(), currentDesktops()));
}

void PortalStartup::start(const QStringList &backends) {
    if (m_running)
        return;
    m_running = true;
    m_pending = backends;
    m_pending.append(FrontendService);
    m_attempt = 0;
    pingNext();
}

void PortalStartup::pingNext() {
    ++m_attempt;
    // Any object answers Peer.Ping; sending it to a name the bus can start starts it.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        m_pending.constFirst(), PortalPath, QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ping, m_intervalMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalStartup::onPingFinished);
}

void PortalStartup::onPingFinished(QDBusPendingCallWatcher *watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<> reply = *watcher;
    const bool frontend = m_pending.size() == 1;
    // Not installed, or the bus is gone: no further ping would change that.
    const bool absent = reply.isError() && (reply.error().type() == QDBusError::ServiceUnknown ||
                                            reply.error().type() == QDBusError::Disconnected);
    if (reply.isError() && !absent && m_attempt < m_attempts) {
        pingNext();
        return;
    }
    if (frontend) {
        m_running = false;
        m_pending.clear();
        emit finished(!reply.isError());
        return;
    }
    m_pending.removeFirst();
    m_attempt = 0;
    pingNext();
}

#include "PortalShortcutsBackend.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDateTime>
#include <QDir>
#include <QFile>


// The session object the frontend closes when the application closes its session.
class PortalShortcutsBackend::Session final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Session")

public:
    Session(PortalShortcutsBackend &backend, QString path)
        : m_backend(backend)
        , m_path(std::move(path))
    {
    }

public slots:
    void Close() { m_backend.m_closed.append(m_path); }

signals:
    void Closed();

private:
    PortalShortcutsBackend &m_backend;
    QString m_path;
};

bool PortalShortcutsBackend::writePortalFile(const QString &folder, const QString &desktopName)
{
    QFile file(QDir(folder).filePath(QStringLiteral("velloratest.portal")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString text = QStringLiteral("[portal]\nDBusName=%1\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts;\n"
                                        "UseIn=%2\n")
                             .arg(busName(), desktopName);
    return file.write(text.toUtf8()) > 0;
}

PortalShortcutsBackend::PortalShortcutsBackend()
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
}

PortalShortcutsBackend::~PortalShortcutsBackend()
{
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    qDeleteAll(m_sessionObjects);
}

bool PortalShortcutsBackend::start(const QString &address)
{
    m_connectionName = QStringLiteral("portal-shortcuts-backend");
    QDBusConnection bus = QDBusConnection::connectToBus(address, m_connectionName);
    return bus.isConnected()
           && bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                                     | QDBusConnection::ExportAllProperties)
           && bus.registerService(busName());
}

void PortalShortcutsBackend::activate(const QString &session, const QString &shortcutId)
{
    const qulonglong now = qulonglong(QDateTime::currentMSecsSinceEpoch());
    emit Activated(QDBusObjectPath(session), shortcutId, now, {});
    emit Deactivated(QDBusObjectPath(session), shortcutId, now + 80, {});
}

uint PortalShortcutsBackend::CreateSession(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle,
                                           const QString &, const QVariantMap &, QVariantMap &results)
{
    m_sessions.append(sessionHandle.path());
    auto *session = new Session(*this, sessionHandle.path());
    m_sessionObjects.append(session);
    QDBusConnection(m_connectionName).registerObject(sessionHandle.path(), session, QDBusConnection::ExportAllSlots);
    results.insert(QStringLiteral("session_handle"), sessionHandle.path());
    return 0;
}

uint PortalShortcutsBackend::BindShortcuts(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle,
                                           const QList<Shortcut> &shortcuts, const QString &, const QVariantMap &,
                                           QVariantMap &results)
{
    m_binds.append({sessionHandle.path(), shortcuts});
    const Answer answer = std::exchange(m_nextAnswer, Answer::Bind);
    if (answer == Answer::UserCancelled)
        return 1;
    if (answer == Answer::Refused)
        return 2;
    QList<Shortcut> bound;
    for (const Shortcut &shortcut : shortcuts) {
        bound.append({shortcut.id,
                      {{QStringLiteral("description"), shortcut.properties.value(QStringLiteral("description"))},
                       {QStringLiteral("trigger_description"),
                        shortcut.properties.value(QStringLiteral("preferred_trigger"))}}});
    }
    results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
    return 0;
}

uint PortalShortcutsBackend::ListShortcuts(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle,
                                           QVariantMap &results)
{
    QList<Shortcut> listed;
    for (const Bind &bind : m_binds) {
        if (bind.session == sessionHandle.path())
            listed = bind.shortcuts;
    }
    results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(listed));
    return 0;
}

#include "PortalShortcutsBackend.moc"

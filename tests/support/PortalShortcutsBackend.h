#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// A desktop's side of global shortcuts for the real portal frontend
// (xdg-desktop-portal) to talk to: org.freedesktop.impl.portal.GlobalShortcuts
// on a bus of the test's own, answering binding requests as the test says and
// pressing shortcuts when the test says so. It stands where KDE's or GNOME's
// backend stands; everything between it and the application is the real portal.
class PortalShortcutsBackend final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    // One shortcut as the portal passes it, a(sa{sv}).
    struct Shortcut {
        QString id;
        QVariantMap properties;

        friend QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut)
        {
            argument.beginStructure();
            argument << shortcut.id << shortcut.properties;
            argument.endStructure();
            return argument;
        }
        friend const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut)
        {
            argument.beginStructure();
            argument >> shortcut.id >> shortcut.properties;
            argument.endStructure();
            return argument;
        }
    };
    struct Bind {
        QString session;
        QList<Shortcut> shortcuts;
    };
    // How the desktop answers the next binding request.
    enum class Answer { Bind, UserCancelled, Refused };

    // The name the backend's .portal file announces.
    static QString busName() { return QStringLiteral("org.freedesktop.impl.portal.desktop.velloratest"); }
    // Writes the .portal file into folder for desktops called desktopName.
    static bool writePortalFile(const QString &folder, const QString &desktopName);

    PortalShortcutsBackend();
    ~PortalShortcutsBackend() override;

    // Connects to the bus at address and takes the backend's name.
    bool start(const QString &address);

    void setNextAnswer(Answer answer) { m_nextAnswer = answer; }
    const QList<Bind> &binds() const { return m_binds; }
    const QStringList &sessions() const { return m_sessions; }
    const QStringList &closedSessions() const { return m_closed; }
    // Presses a bound shortcut of a session, as the desktop would.
    void activate(const QString &session, const QString &shortcutId);

    uint version() const { return 1; }

public slots:
    uint CreateSession(const QDBusObjectPath &handle, const QDBusObjectPath &sessionHandle, const QString &appId,
                       const QVariantMap &options, QVariantMap &results);
    uint BindShortcuts(const QDBusObjectPath &handle, const QDBusObjectPath &sessionHandle,
                       const QList<PortalShortcutsBackend::Shortcut> &shortcuts, const QString &parentWindow,
                       const QVariantMap &options, QVariantMap &results);
    uint ListShortcuts(const QDBusObjectPath &handle, const QDBusObjectPath &sessionHandle, QVariantMap &results);

signals:
    void Activated(const QDBusObjectPath &sessionHandle, const QString &shortcutId, qulonglong timestamp,
                   const QVariantMap &options);
    void Deactivated(const QDBusObjectPath &sessionHandle, const QString &shortcutId, qulonglong timestamp,
                     const QVariantMap &options);
    void ShortcutsChanged(const QDBusObjectPath &sessionHandle, const QList<PortalShortcutsBackend::Shortcut> &shortcuts);

private:
    class Session;
    QString m_connectionName;
    Answer m_nextAnswer = Answer::Bind;
    QList<Bind> m_binds;
    QStringList m_sessions;
    QStringList m_closed;
    QList<Session *> m_sessionObjects;
};

Q_DECLARE_METATYPE(PortalShortcutsBackend::Shortcut)

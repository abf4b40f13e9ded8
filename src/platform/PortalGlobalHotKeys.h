#pragma once

#include "GlobalHotKeys.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>
#include <QString>

#include <map>
#include <optional>

class QDBusPendingCallWatcher;

// Global hot keys through the desktop portal (org.freedesktop.portal.GlobalShortcuts),
// the way a Wayland desktop lets a client have them: KDE Plasma 5.27 and later,
// GNOME 48 and later, Hyprland. Each registration is a portal session with one
// shortcut whose preferred trigger is the combination; the desktop may show a
// dialog and decides. registerHotKey() therefore answers at once with a handle,
// and a refusal follows as registrationFailed(). Main thread only.
class PortalGlobalHotKeys final : public GlobalHotKeys {
    Q_OBJECT

public:
    explicit PortalGlobalHotKeys(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    // Closes every session this object still holds.
    ~PortalGlobalHotKeys() override;

    // What the desktop shows for the shortcut in its dialog and settings; used
    // by the registrations that follow.
    void setDescription(const QString &description) { m_description = description; }

    // A handle at once; the desktop's answer comes later. Fails at once only
    // with Unmappable (a key code or mask the trigger syntax cannot express).
    Result<Handle> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyId id) override;
    void unregisterHotKey(Handle handle) override;

    // The portal's trigger text of a stored combination ("CTRL+SHIFT+LOGO+2"),
    // named after the key at that place of a US keyboard; nothing for a key
    // code without an entry or a mask with other bits.
    static std::optional<QString> triggerFor(quint32 keyCode, quint32 modifiers);

private slots:
    // The portal's Request::Response and GlobalShortcuts::Activated signals
    // (slots by name: QtDBus connects no functors).
    void onResponse(uint response, const QVariantMap &results, const QDBusMessage &message);
    void onActivated(const QDBusObjectPath &session, const QString &shortcutId, qulonglong timestamp,
                     const QVariantMap &options);

private:
    struct Registration {
        HotKeyId id;
        QString trigger;
        QString shortcutId;
        QString sessionPath;  // once the portal made the session
        QString requestPath;  // the request awaiting its Response
        bool bound = false;
    };

    void createSession(Handle handle);
    void bindShortcuts(Handle handle);
    // Sends a request whose answer comes as a Response on requestPath.
    void sendRequest(Handle handle, const QString &method, const QVariantList &arguments, const QString &token);
    void refuse(Handle handle, ErrorCode code, const QString &description);
    void closeSession(const QString &sessionPath);
    QString requestPathFor(const QString &token) const;

    QDBusConnection m_bus;
    QString m_description;
    std::map<Handle, Registration> m_registrations;
    Handle m_nextHandle = 1;
    bool m_listening = false;
};

#include "PortalGlobalHotKeys.h"

#include "KeyCodeTable.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>

#include <memory>

#include <xkbcommon/xkbcommon.h>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString SessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// The binding dialog waits for the user; the call itself returns at once.
constexpr int CallTimeoutMs = 30000;

// One element of the portal's shortcut lists, a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

Error hotKeyError(GlobalHotKeys::ErrorCode code, const QString &description)
{
    return Error{QString::fromUtf16(GlobalHotKeys::ErrorDomain), code, description};
}

struct KeymapDeleter {
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};
struct ContextDeleter {
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};

// The keysym names of a US keyboard, which the trigger syntax uses for keys;
// the stored key codes are places on the keyboard named the same way.
std::optional<QString> usKeyName(quint32 evdevCode)
{
    static const std::unique_ptr<xkb_keymap, KeymapDeleter> keymap = [] {
        const std::unique_ptr<xkb_context, ContextDeleter> context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
        xkb_rule_names names{};
        names.rules = "evdev";
        names.model = "pc105";
        names.layout = "us";
        return std::unique_ptr<xkb_keymap, KeymapDeleter>(
            context ? xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr);
    }();
    if (!keymap)
        return std::nullopt;
    const xkb_keysym_t *symbols = nullptr;
    // X11 and xkbcommon number keys evdev + 8.
    if (xkb_keymap_key_get_syms_by_level(keymap.get(), evdevCode + 8, 0, 0, &symbols) < 1 || !symbols)
        return std::nullopt;
    char name[64];
    if (xkb_keysym_get_name(symbols[0], name, sizeof name) <= 0)
        return std::nullopt;
    return QString::fromLatin1(name);
}

// What a D-Bus error from the portal means for a registration.
GlobalHotKeys::ErrorCode codeOf(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownObject:
        return GlobalHotKeys::Unavailable;
    default:
        return GlobalHotKeys::Failed;
    }
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

PortalGlobalHotKeys::PortalGlobalHotKeys(const QDBusConnection &bus, QObject *parent)
    : GlobalHotKeys(parent)
    , m_bus(bus)
{
    // QtDBus matches signals to slots through the types' registered names.
    qRegisterMetaType<QDBusObjectPath>();
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalGlobalHotKeys::~PortalGlobalHotKeys()
{
    while (!m_registrations.empty())
        unregisterHotKey(m_registrations.begin()->first);
}

std::optional<QString> PortalGlobalHotKeys::triggerFor(quint32 keyCode, quint32 modifiers)
{
    if (modifiers & ~KeyCodeTable::MacModifierBits)
        return std::nullopt;
    const std::optional<quint32> evdev = KeyCodeTable::evdevFromMac(keyCode);
    if (!evdev)
        return std::nullopt;
    const std::optional<QString> key = usKeyName(*evdev);
    if (!key)
        return std::nullopt;
    QStringList parts;
    if (modifiers & KeyCodeTable::MacControl)
        parts << QStringLiteral("CTRL");
    if (modifiers & KeyCodeTable::MacOption)
        parts << QStringLiteral("ALT");
    if (modifiers & KeyCodeTable::MacShift)
        parts << QStringLiteral("SHIFT");
    if (modifiers & KeyCodeTable::MacCommand)
        parts << QStringLiteral("LOGO");
    parts << *key;
    return parts.join(u'+');
}

Result<GlobalHotKeys::Handle> PortalGlobalHotKeys::registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyId id)
{
    const std::optional<QString> trigger = triggerFor(keyCode, modifiers);
    if (!trigger)
        return hotKeyError(Unmappable, QStringLiteral("The combination has no trigger the desktop portal knows"));
    if (!m_listening) {
        m_listening = m_bus.connect(PortalService, PortalPath, ShortcutsInterface, QStringLiteral("Activated"), this,
                                    SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    }
    const Handle handle = m_nextHandle++;
    Registration &registration = m_registrations[handle];
    registration.id = id;
    registration.trigger = *trigger;
    // Stable across runs, so the desktop finds the user's earlier choice for it.
    registration.shortcutId = QStringLiteral("hotkey-%1-%2").arg(id.signature).arg(id.identifier);
    createSession(handle);
    return handle;
}

void PortalGlobalHotKeys::unregisterHotKey(Handle handle)
{
    const auto found = m_registrations.find(handle);
    if (found == m_registrations.end())
        return;
    const Registration registration = found->second;
    m_registrations.erase(found);
    if (!registration.requestPath.isEmpty()) {
        m_bus.disconnect(PortalService, registration.requestPath, RequestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
        // A session the portal is still making is closed with its request.
        m_bus.asyncCall(QDBusMessage::createMethodCall(PortalService, registration.requestPath, RequestInterface,
                                                       QStringLiteral("Close")));
    }
    closeSession(registration.sessionPath);
}

QString PortalGlobalHotKeys::requestPathFor(const QString &token) const
{
    QString sender = m_bus.baseService();
    if (sender.startsWith(u':'))
        sender.remove(0, 1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void PortalGlobalHotKeys::createSession(Handle handle)
{
    const QString token = QStringLiteral("vellora_") + QUuid::createUuid().toString(QUuid::Id128);
    const QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("session_handle_token"), token},
    };
    sendRequest(handle, QStringLiteral("CreateSession"), {options}, token);
}

void PortalGlobalHotKeys::bindShortcuts(Handle handle)
{
    const Registration &registration = m_registrations.at(handle);
    const QString description = m_description.isEmpty() ? QCoreApplication::applicationName() : m_description;
    const QList<PortalShortcut> shortcuts{{registration.shortcutId,
                                           {{QStringLiteral("description"), description},
                                            {QStringLiteral("preferred_trigger"), registration.trigger}}}};
    const QString token = QStringLiteral("vellora_") + QUuid::createUuid().toString(QUuid::Id128);
    sendRequest(handle, QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(registration.sessionPath)), QVariant::fromValue(shortcuts),
                 QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
                token);
}

void PortalGlobalHotKeys::sendRequest(Handle handle, const QString &method, const QVariantList &arguments,
                                      const QString &token)
{
    Registration &registration = m_registrations.at(handle);
    // Listening before the call cannot miss an answer that comes quickly.
    registration.requestPath = requestPathFor(token);
    m_bus.connect(PortalService, registration.requestPath, RequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ShortcutsInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, handle](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        const auto found = m_registrations.find(handle);
        if (found == m_registrations.end())
            return;
        if (reply.isError()) {
            refuse(handle, codeOf(reply.error()),
                   QStringLiteral("The desktop portal offers no global shortcuts: %1").arg(reply.error().message()));
            return;
        }
        // Portals that predate handle tokens chose the request's path themselves.
        Registration &pending = found->second;
        if (reply.value().path() != pending.requestPath && !pending.requestPath.isEmpty()) {
            m_bus.disconnect(PortalService, pending.requestPath, RequestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
            pending.requestPath = reply.value().path();
            m_bus.connect(PortalService, pending.requestPath, RequestInterface, QStringLiteral("Response"), this,
                          SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
        }
    });
}

void PortalGlobalHotKeys::onResponse(uint response, const QVariantMap &results, const QDBusMessage &message)
{
    Handle handle = 0;
    for (const auto &[candidate, registration] : m_registrations) {
        if (registration.requestPath == message.path())
            handle = candidate;
    }
    if (handle == 0)
        return;
    Registration &registration = m_registrations.at(handle);
    m_bus.disconnect(PortalService, registration.requestPath, RequestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    registration.requestPath.clear();

    // 0: done; 1: the user cancelled the desktop's dialog; 2: refused otherwise.
    if (registration.sessionPath.isEmpty()) {
        const QVariant session = results.value(QStringLiteral("session_handle"));
        registration.sessionPath = session.canConvert<QDBusObjectPath>() && session.userType() != QMetaType::QString
                                       ? session.value<QDBusObjectPath>().path()
                                       : session.toString();
        if (response != 0 || registration.sessionPath.isEmpty()) {
            refuse(handle, Refused, QStringLiteral("The desktop portal refused a shortcut session"));
            return;
        }
        bindShortcuts(handle);
        return;
    }

    bool granted = false;
    if (response == 0) {
        const auto shortcuts = qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
        for (const PortalShortcut &shortcut : shortcuts)
            granted = granted || shortcut.id == registration.shortcutId;
    }
    if (!granted) {
        refuse(handle, Refused, QStringLiteral("The desktop did not bind the shortcut"));
        return;
    }
    registration.bound = true;
}

void PortalGlobalHotKeys::onActivated(const QDBusObjectPath &session, const QString &shortcutId, qulonglong,
                                      const QVariantMap &)
{
    for (const auto &[handle, registration] : m_registrations) {
        if (registration.sessionPath == session.path() && registration.shortcutId == shortcutId) {
            const HotKeyId id = registration.id;
            // Delivered after the bus message has been handled, like a native event.
            QMetaObject::invokeMethod(this, [this, id] { emit hotKeyPressed(id); }, Qt::QueuedConnection);
            return;
        }
    }
}

void PortalGlobalHotKeys::refuse(Handle handle, ErrorCode code, const QString &description)
{
    const auto found = m_registrations.find(handle);
    if (found == m_registrations.end())
        return;
    const QString session = found->second.sessionPath;
    if (!found->second.requestPath.isEmpty())
        m_bus.disconnect(PortalService, found->second.requestPath, RequestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    m_registrations.erase(found);
    closeSession(session);
    emit registrationFailed(handle, hotKeyError(code, description));
}

void PortalGlobalHotKeys::closeSession(const QString &sessionPath)
{
    if (sessionPath.isEmpty())
        return;
    m_bus.asyncCall(
        QDBusMessage::createMethodCall(PortalService, sessionPath, SessionInterface, QStringLiteral("Close")));
}

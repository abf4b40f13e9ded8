#include "AccessibilityBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>
#include <QProcessEnvironment>
#include <QUuid>

#include <csignal>

namespace {

const QString AccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString RegistryService = QStringLiteral("org.a11y.atspi.Registry");
const QString RootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

struct Reference {
    QString service;
    QDBusObjectPath path;
};

const QDBusArgument &operator>>(const QDBusArgument &argument, Reference &reference) {
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const Reference &reference) {
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

// A method call without introspection (QDBusInterface would introspect every
// object it is made for): the reply, or an error reply.
QDBusMessage call(const QDBusConnection &bus, const QString &service, const QString &path, const QString &interface,
                  const QString &method, const QVariantList &arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 5000);
}

QVariant firstArgument(const QDBusMessage &reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

} // namespace

Q_DECLARE_METATYPE(Reference)

AccessibilityBus::AccessibilityBus()
    : m_connectionName(QUuid::createUuid().toString()) {
    qDBusRegisterMetaType<Reference>();
    qDBusRegisterMetaType<QList<Reference>>();
}

AccessibilityBus::~AccessibilityBus() {
    // The registry that the bus started does not end with the bus: end it here.
    if (m_launcher) {
        const QDBusConnection bus(m_connectionName);
        const QDBusReply<uint> registry = bus.interface()->servicePid(RegistryService);
        if (registry.isValid() && registry.value() > 0)
            ::kill(pid_t(registry.value()), SIGTERM);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_launcher) {
        m_launcher->terminate();
        if (!m_launcher->waitForFinished(5000))
            m_launcher->kill();
        m_launcher->waitForFinished();
    }
}

void AccessibilityBus::addTo(QProcessEnvironment &environment) {
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
}

bool AccessibilityBus::connect() {
    const QDBusConnection session = QDBusConnection::sessionBus();
    const QString launcher = QStringLiteral("org.a11y.Bus");
    const QString launcherPath = QStringLiteral("/org/a11y/bus");
    // The bus launcher is started here rather than by D-Bus activation, so it
    // runs with this session's folders (the session bus keeps the ones it was
    // started with) and ends with the test.
    if (!session.interface()->isServiceRegistered(launcher).value()) {
        m_launcher = std::make_unique<QProcess>();
        // Nothing it starts may hold the test's output open after the test.
        m_launcher->setStandardOutputFile(QProcess::nullDevice());
        m_launcher->setStandardErrorFile(QProcess::nullDevice());
        m_launcher->start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
        if (!m_launcher->waitForStarted()) {
            qWarning("cannot start at-spi-bus-launcher (package at-spi2-core)");
            return false;
        }
        QDeadlineTimer deadline(20000);
        while (!session.interface()->isServiceRegistered(launcher).value() && !deadline.hasExpired())
            QThread::msleep(50);
    }
    const QString address =
        firstArgument(call(session, launcher, launcherPath, launcher, QStringLiteral("GetAddress"))).toString();
    if (address.isEmpty()) {
        qWarning("no accessibility bus");
        return false;
    }
    // Announce that assistive technology is present, so toolkits take part.
    call(session, launcher, launcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
         {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"), QVariant::fromValue(QDBusVariant(true))});
    const QDBusConnection bus = QDBusConnection::connectToBus(address, m_connectionName);
    if (!bus.isConnected()) {
        qWarning("cannot connect to the accessibility bus at %s", qPrintable(address));
        return false;
    }
    return true;
}

std::optional<AccessibilityBus::Node> AccessibilityBus::application(qint64 pid) {
    const QDBusConnection bus(m_connectionName);
    for (const Node &candidate : children(Node{RegistryService, RootPath})) {
        const QDBusReply<uint> owner = bus.interface()->servicePid(candidate.service);
        if (owner.isValid() && qint64(owner.value()) == pid)
            return candidate;
    }
    return std::nullopt;
}

QString AccessibilityBus::name(const Node &node) {
    const QVariant value = firstArgument(call(QDBusConnection(m_connectionName), node.service, node.path,
                                              QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                              {AccessibleInterface, QStringLiteral("Name")}));
    return value.value<QDBusVariant>().variant().toString();
}

quint32 AccessibilityBus::role(const Node &node) {
    return firstArgument(call(QDBusConnection(m_connectionName), node.service, node.path, AccessibleInterface,
                              QStringLiteral("GetRole")))
        .toUInt();
}

QList<AccessibilityBus::Node> AccessibilityBus::children(const Node &node) {
    const QVariant value = firstArgument(call(QDBusConnection(m_connectionName), node.service, node.path,
                                              AccessibleInterface, QStringLiteral("GetChildren")));
    QList<Node> result;
    if (!value.isValid())
        return result;
    QList<Reference> references;
    value.value<QDBusArgument>() >> references;
    for (const Reference &reference : references) {
        if (reference.path.path() != QLatin1String("/org/a11y/atspi/null"))
            result.append(Node{reference.service, reference.path.path()});
    }
    return result;
}

std::optional<AccessibilityBus::Node>
AccessibilityBus::find(const Node &root, const std::function<bool(const QString &, quint32)> &matches) {
    for (const Node &child : children(root)) {
        if (matches(name(child), role(child)))
            return child;
        if (std::optional<Node> found = find(child, matches))
            return found;
    }
    return std::nullopt;
}

QStringList AccessibilityBus::names(const Node &root, quint32 wantedRole) {
    QStringList result;
    find(root, [&](const QString &text, quint32 objectRole) {
        if (objectRole == wantedRole)
            result.append(text);
        return false;
    });
    return result;
}

bool AccessibilityBus::press(const Node &node) {
    return firstArgument(call(QDBusConnection(m_connectionName), node.service, node.path,
                              QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), {0}))
        .toBool();
}

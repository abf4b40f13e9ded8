#include "StatusNotifierHost.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// Items that register with their bus name alone serve this path.
const QString DefaultItemPath = QStringLiteral("/StatusNotifierItem");
constexpr int CallTimeoutMs = 10000;

// a(iiay): ARGB32 pictures in network byte order.
QList<QImage> readPixmaps(const QDBusArgument &argument) {
    QList<QImage> images;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4)
            continue;
        QImage image(width, height, QImage::Format_ARGB32);
        const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const uchar *pixel = data + (qsizetype(y) * width + x) * 4;
                line[x] = qRgba(pixel[1], pixel[2], pixel[3], pixel[0]);
            }
        }
        images.append(image);
    }
    argument.endArray();
    return images;
}

// aas: the key combinations of a row's shortcut; the first one is enough here.
QStringList readShortcut(const QVariant &value) {
    if (!value.canConvert<QDBusArgument>())
        return {};
    const auto argument = value.value<QDBusArgument>();
    QStringList first;
    argument.beginArray();
    while (!argument.atEnd()) {
        QStringList keys;
        argument >> keys;
        if (first.isEmpty())
            first = keys;
    }
    argument.endArray();
    return first;
}

// One (ia{sv}av) node of a dbusmenu layout; its children stay unread.
StatusNotifierHost::MenuRow readRow(const QDBusArgument &argument) {
    StatusNotifierHost::MenuRow row;
    QVariantMap properties;
    argument.beginStructure();
    argument >> row.id >> properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
    }
    argument.endArray();
    argument.endStructure();
    row.label = properties.value(QStringLiteral("label")).toString();
    // "_" marks the mnemonic, "__" is an underscore.
    row.label.replace(QStringLiteral("__"), QStringLiteral("\x01")).remove(u'_').replace(u'\x01', u'_');
    row.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
    row.visible = properties.value(QStringLiteral("visible"), true).toBool();
    row.separator = properties.value(QStringLiteral("type")).toString() == QLatin1String("separator");
    row.shortcut = readShortcut(properties.value(QStringLiteral("shortcut")));
    return row;
}

} // namespace

StatusNotifierHost::StatusNotifierHost() = default;

StatusNotifierHost::~StatusNotifierHost() {
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        if (!m_bus.waitForFinished(5000))
            m_bus.kill();
    }
}

bool StatusNotifierHost::startOnOwnBus() {
    if (!m_busFolder.isValid())
        return false;
    // A bus that activates no services: what runs on it is what the test starts.
    QFile configuration(m_busFolder.filePath(QStringLiteral("bus.conf")));
    if (!configuration.open(QIODevice::WriteOnly))
        return false;
    configuration.write(
        QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>"
                       "<auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                       "<allow own=\"*\"/></policy></busconfig>\n")
            .arg(m_busFolder.path())
            .toUtf8());
    configuration.close();
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + configuration.fileName(), QStringLiteral("--nofork"),
                 QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_bus.waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!m_bus.canReadLine() && !deadline.hasExpired())
        m_bus.waitForReadyRead(int(deadline.remainingTime()));
    m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    return !m_busAddress.isEmpty() && start(m_busAddress);
}

QDBusConnection StatusNotifierHost::bus() const {
    return QDBusConnection(m_connectionName);
}

bool StatusNotifierHost::start(const QString &address) {
    m_connectionName = QStringLiteral("status-notifier-host");
    QDBusConnection connection = QDBusConnection::connectToBus(address, m_connectionName);
    if (!connection.isConnected())
        return false;
    m_watcher = new QDBusServiceWatcher(QString(), connection, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierHost::onServiceUnregistered);
    return connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                         QDBusConnection::ExportAllProperties) &&
           connection.registerService(WatcherService);
}

void StatusNotifierHost::RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message) {
    // An item names its bus name (and serves the default path), or only its path.
    const bool pathOnly = service.startsWith(u'/');
    const QString name = pathOnly ? message.service() : service;
    const QString item = name + (pathOnly ? service : DefaultItemPath);
    if (m_items.contains(item))
        return;
    m_items.append(item);
    m_watcher->addWatchedService(name);
    emit StatusNotifierItemRegistered(item);
}

void StatusNotifierHost::RegisterStatusNotifierHost(const QString &) {}

void StatusNotifierHost::onServiceUnregistered(const QString &service) {
    for (const QString &item : m_items) {
        if (item.section(u'/', 0, 0) == service) {
            m_items.removeOne(item);
            emit StatusNotifierItemUnregistered(item);
            break;
        }
    }
}

QDBusMessage StatusNotifierHost::callItem(const QString &item, const QString &interface, const QString &method,
                                          const QVariantList &arguments) const {
    return callObject(item.section(u'/', 0, 0), u'/' + item.section(u'/', 1), interface, method, arguments);
}

QDBusMessage StatusNotifierHost::callObject(const QString &service, const QString &path, const QString &interface,
                                            const QString &method, const QVariantList &arguments) const {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    // The item may live in this very process: its connection must go on
    // answering while the call waits.
    return bus().call(call, QDBus::BlockWithGui, CallTimeoutMs);
}

std::optional<QVariant> StatusNotifierHost::itemProperty(const QString &item, const QString &name) const {
    const QDBusMessage reply = callItem(item, PropertiesInterface, QStringLiteral("Get"), {ItemInterface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
    if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
        return QVariant(value.value<QDBusObjectPath>().path());
    return value;
}

QString StatusNotifierHost::toolTipTitle(const QString &item) const {
    const std::optional<QVariant> value = itemProperty(item, QStringLiteral("ToolTip"));
    if (!value || !value->canConvert<QDBusArgument>())
        return {};
    // (sa(iiay)ss): icon name, icon pictures, title, description.
    const auto argument = value->value<QDBusArgument>();
    QString iconName;
    QString title;
    QString description;
    argument.beginStructure();
    argument >> iconName;
    readPixmaps(argument);
    argument >> title >> description;
    argument.endStructure();
    return title;
}

QList<QImage> StatusNotifierHost::iconPixmaps(const QString &item) const {
    const std::optional<QVariant> value = itemProperty(item, QStringLiteral("IconPixmap"));
    if (!value || !value->canConvert<QDBusArgument>())
        return {};
    return readPixmaps(value->value<QDBusArgument>());
}

bool StatusNotifierHost::activate(const QString &item, QPoint position) const {
    return callItem(item, ItemInterface, QStringLiteral("Activate"), {position.x(), position.y()}).type() ==
           QDBusMessage::ReplyMessage;
}

bool StatusNotifierHost::contextMenu(const QString &item, QPoint position) const {
    return callItem(item, ItemInterface, QStringLiteral("ContextMenu"), {position.x(), position.y()}).type() ==
           QDBusMessage::ReplyMessage;
}

std::optional<QString> StatusNotifierHost::menuPath(const QString &item) const {
    const std::optional<QVariant> path = itemProperty(item, QStringLiteral("Menu"));
    // Qt names a path it serves nothing at when there is no menu.
    if (!path || path->toString().isEmpty() || path->toString() == QLatin1String("/NO_DBUSMENU"))
        return std::nullopt;
    return path->toString();
}

std::optional<QList<StatusNotifierHost::MenuRow>> StatusNotifierHost::menu(const QString &item) const {
    const std::optional<QString> path = menuPath(item);
    if (!path)
        return std::nullopt;
    const QString service = item.section(u'/', 0, 0);
    callObject(service, *path, MenuInterface, QStringLiteral("AboutToShow"), {0});
    const QDBusMessage reply =
        callObject(service, *path, MenuInterface, QStringLiteral("GetLayout"), {0, 1, QStringList()});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return std::nullopt;
    // (u, (ia{sv}av)): the revision, then the root whose children are the rows.
    const auto root = reply.arguments().at(1).value<QDBusArgument>();
    QList<MenuRow> rows;
    int rootId = 0;
    QVariantMap rootProperties;
    root.beginStructure();
    root >> rootId >> rootProperties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        rows.append(readRow(child.variant().value<QDBusArgument>()));
    }
    root.endArray();
    root.endStructure();
    return rows;
}

bool StatusNotifierHost::clickMenuRow(const QString &item, int id) const {
    const std::optional<QString> path = menuPath(item);
    if (!path)
        return false;
    const uint timestamp = uint(QDateTime::currentSecsSinceEpoch());
    return callObject(item.section(u'/', 0, 0), *path, MenuInterface, QStringLiteral("Event"),
                      {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), timestamp})
               .type() == QDBusMessage::ReplyMessage;
}

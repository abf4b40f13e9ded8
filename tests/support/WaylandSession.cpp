#include "WaylandSession.h"

#include "PortalStartup.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <functional>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 20000;

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

void collectWindows(const QJsonObject &node, const QString &name, std::vector<QJsonObject> &found)
{
    const bool isWindow = node.value(QStringLiteral("type")).toString() == QLatin1String("con")
                          || node.value(QStringLiteral("type")).toString() == QLatin1String("floating_con");
    if (isWindow && node.value(QStringLiteral("visible")).toBool()
        && (node.value(QStringLiteral("app_id")).toString() == name
            || node.value(QStringLiteral("name")).toString() == name))
        found.push_back(node);
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject(), name, found);
    }
}

} // namespace

WaylandSession::WaylandSession()
{
    // The logs of sway, the bus (with the portal's) and PipeWire stay for a look when asked.
    if (qEnvironmentVariableIsSet("VELLORA_KEEP_WAYLAND_SESSION")) {
        m_dir.setAutoRemove(false);
        qInfo("Wayland session in %s", qPrintable(m_dir.path()));
    }
    m_environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SWAYSOCK"})
        m_environment.remove(QLatin1String(name));
}

WaylandSession::~WaylandSession()
{
    m_pointer.closeWriteChannel();
    m_pointer.waitForFinished(2000);
    stop(m_pointer);
    stop(m_sway);
    stop(m_pipewire);
    // The portal and its backends were started by the bus and end with it.
    stop(m_bus);
}

void WaylandSession::setPortals(const QString &folder, const QString &desktopName)
{
    m_portalFolder = folder;
    m_desktopName = desktopName;
}

bool WaylandSession::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool WaylandSession::start(const std::vector<Output> &outputs)
{
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    if (!QDir().mkpath(runtime)
        || !QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return fail(QStringLiteral("no runtime folder"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), m_desktopName);
    m_environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    m_environment.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    if (!m_portalFolder.isEmpty())
        m_environment.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), m_portalFolder);

    if (!outputs.empty()) {
        QString configuration = QStringLiteral("xwayland disable\ndefault_border none\n");
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const Output &output = outputs[i];
            configuration += QStringLiteral("output HEADLESS-%1 mode %2x%3 position %4 %5 scale %6\n")
                                 .arg(i + 1)
                                 .arg(output.geometry.width() * output.scale)
                                 .arg(output.geometry.height() * output.scale)
                                 .arg(output.geometry.x())
                                 .arg(output.geometry.y())
                                 .arg(output.scale);
        }
        configuration += m_configuration;
        QFile file(m_dir.filePath(QStringLiteral("sway.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(configuration.toUtf8()) < 0)
            return fail(QStringLiteral("cannot write sway's configuration"));
        file.close();

        QProcessEnvironment swayEnvironment = m_environment;
        swayEnvironment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        swayEnvironment.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QString::number(outputs.size()));
        swayEnvironment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        swayEnvironment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        m_sway.setProcessEnvironment(swayEnvironment);
        m_sway.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.setStandardOutputFile(m_dir.filePath(QStringLiteral("sway.log")));
        // sway refuses to run as root; in a user namespace of its own it is nobody.
        QStringList command{QStringLiteral("sway"), QStringLiteral("-c"), file.fileName()};
        if (::geteuid() == 0)
            command.prepend(QStringLiteral("--user")), command.prepend(QStringLiteral("unshare"));
        m_sway.start(command.takeFirst(), command);
        if (!m_sway.waitForStarted(StartTimeoutMs))
            return fail(QStringLiteral("sway did not start"));

        QString display;
        QString ipc;
        const QDeadlineTimer deadline(StartTimeoutMs);
        while (!deadline.hasExpired() && (display.isEmpty() || ipc.isEmpty())) {
            const QDir folder(runtime);
            for (const QString &entry : folder.entryList(QDir::System | QDir::Files | QDir::Hidden)) {
                if (entry.startsWith(QLatin1String("wayland-")) && !entry.endsWith(QLatin1String(".lock")))
                    display = entry;
                if (entry.startsWith(QLatin1String("sway-ipc.")) && entry.endsWith(QLatin1String(".sock")))
                    ipc = folder.filePath(entry);
            }
            if (m_sway.state() == QProcess::NotRunning)
                break;
            QThread::msleep(20);
        }
        if (display.isEmpty() || ipc.isEmpty())
            return fail(QStringLiteral("sway did not come up; see %1").arg(m_dir.filePath(QStringLiteral("sway.log"))));
        m_environment.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
        m_environment.insert(QStringLiteral("SWAYSOCK"), ipc);

        // The outputs exist once sway answers with all of them configured.
        bool ready = false;
        while (!deadline.hasExpired() && !ready) {
            if (const std::optional<QByteArray> answer = swaymsg({QStringLiteral("-t"), QStringLiteral("get_outputs")}))
                ready = QJsonDocument::fromJson(*answer).array().size() == qsizetype(outputs.size());
            if (!ready)
                QThread::msleep(50);
        }
        if (!ready)
            return fail(QStringLiteral("sway did not set up its outputs"));

        // A headless desktop has no pointer until a client makes one.
        for (const Output &output : outputs)
            m_layout |= output.geometry;
        m_pointer.setProcessEnvironment(m_environment);
        m_pointer.start(QDir(TestSupport::binaryDir()).filePath(QStringLiteral("bin/vellora-test-pointer")), {});
        while (!deadline.hasExpired() && !m_pointer.canReadLine())
            m_pointer.waitForReadyRead(100);
        if (m_pointer.readLine().trimmed() != "ready")
            return fail(QStringLiteral("the virtual pointer did not come up"));
    }

    if (!startBus())
        return false;
    if (!outputs.empty()) {
        // The wlroots portal backend will not start without PipeWire.
        m_pipewire.setProcessEnvironment(m_environment);
        m_pipewire.setProcessChannelMode(QProcess::MergedChannels);
        m_pipewire.setStandardOutputFile(m_dir.filePath(QStringLiteral("pipewire.log")));
        m_pipewire.start(QStringLiteral("pipewire"), {});
        if (!m_pipewire.waitForStarted(StartTimeoutMs))
            return fail(QStringLiteral("pipewire did not start"));
        const QString socket = QDir(m_environment.value(QStringLiteral("XDG_RUNTIME_DIR")))
                                   .filePath(QStringLiteral("pipewire-0"));
        const QDeadlineTimer deadline(StartTimeoutMs);
        while (!deadline.hasExpired() && !QFile::exists(socket))
            QThread::msleep(20);
        if (!QFile::exists(socket))
            return fail(QStringLiteral("pipewire did not come up"));

        // The portal runs from the first request, as on a desktop where it has
        // been used before; PortalStartup brings it past its wlroots backend's
        // stall on the way.
        if (m_portalStarted) {
            const QString connectionName = QStringLiteral("wayland-session-%1").arg(quintptr(this));
            bool answered = false;
            {
                PortalStartup startup(QDBusConnection::connectToBus(m_busAddress, connectionName));
                QSignalSpy finished(&startup, &PortalStartup::finished);
                startup.start({QStringLiteral("org.freedesktop.impl.portal.desktop.wlr")});
                answered = finished.wait(StartTimeoutMs * 3) && finished.constFirst().constFirst().toBool();
            }
            QDBusConnection::disconnectFromBus(connectionName);
            if (!answered)
                return fail(QStringLiteral("the desktop portal did not answer"));
        }
    }
    return true;
}

bool WaylandSession::startBus()
{
    // The bus starts the portal on demand, with the environment it has itself.
    // It can start the portal frontend, the permission store and the two
    // backends sway uses (wlroots for screenshots, GTK for the access dialog),
    // and nothing else: the document portal would mount a file system.
    const QString services = m_dir.filePath(QStringLiteral("services"));
    if (!QDir().mkpath(services))
        return fail(QStringLiteral("no service folder"));
    for (const char *name : {"org.freedesktop.portal.Desktop", "org.freedesktop.impl.portal.PermissionStore",
                             "org.freedesktop.impl.portal.desktop.wlr", "org.freedesktop.impl.portal.desktop.gtk"}) {
        const QString file = QLatin1String(name) + QStringLiteral(".service");
        QFile::copy(QStringLiteral("/usr/share/dbus-1/services/") + file, QDir(services).filePath(file));
    }
    QFile configuration(m_dir.filePath(QStringLiteral("bus.conf")));
    if (!configuration.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write the bus configuration"));
    configuration.write(QStringLiteral(
                            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                            "<busconfig>\n  <type>session</type>\n  <listen>unix:tmpdir=%1</listen>\n"
                            "  <auth>EXTERNAL</auth>\n  <servicedir>%2</servicedir>\n"
                            "  <policy context=\"default\">\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                            "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n")
                            .arg(m_dir.path(), services)
                            .toUtf8());
    configuration.close();
    m_bus.setProcessEnvironment(m_environment);
    m_bus.setStandardErrorFile(m_dir.filePath(QStringLiteral("bus.log")));
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + configuration.fileName(), QStringLiteral("--nofork"),
                 QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_bus.waitForStarted(StartTimeoutMs))
        return fail(QStringLiteral("dbus-daemon did not start"));
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_bus.canReadLine() && !deadline.hasExpired())
        m_bus.waitForReadyRead(100);
    m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    if (m_busAddress.isEmpty())
        return fail(QStringLiteral("dbus-daemon gave no address"));
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return true;
}

std::optional<QByteArray> WaylandSession::runClient(const QString &program, const QStringList &arguments,
                                                    const QByteArray &input, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return std::nullopt;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

std::optional<QByteArray> WaylandSession::swaymsg(const QStringList &arguments) const
{
    return runClient(QStringLiteral("swaymsg"), arguments);
}

bool WaylandSession::pointerCommand(const QByteArray &command) const
{
    if (m_pointer.state() != QProcess::Running)
        return false;
    m_pointer.write(command + '\n');
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && !m_pointer.canReadLine())
        m_pointer.waitForReadyRead(100);
    return m_pointer.readLine().trimmed() == "ok";
}

bool WaylandSession::movePointer(int x, int y) const
{
    return pointerCommand(QStringLiteral("move %1 %2 %3 %4")
                              .arg(x - m_layout.x())
                              .arg(y - m_layout.y())
                              .arg(m_layout.width())
                              .arg(m_layout.height())
                              .toLatin1());
}

bool WaylandSession::pressButton(bool down) const
{
    return pointerCommand(down ? QByteArrayLiteral("press") : QByteArrayLiteral("release"));
}

bool WaylandSession::drag(int fromX, int fromY, int toX, int toY) const
{
    if (!movePointer(fromX, fromY))
        return false;
    QTest::qWait(300);
    if (!pressButton(true))
        return false;
    constexpr int Steps = 4;
    for (int step = 1; step <= Steps; ++step) {
        QTest::qWait(30);
        if (!movePointer(fromX + (toX - fromX) * step / Steps, fromY + (toY - fromY) * step / Steps))
            return false;
    }
    QTest::qWait(50);
    return pressButton(false);
}

bool WaylandSession::type(const QStringList &wtypeArguments) const
{
    return runClient(QStringLiteral("wtype"), wtypeArguments).has_value();
}

std::vector<QJsonObject> WaylandSession::visibleWindows(const QString &name) const
{
    std::vector<QJsonObject> found;
    if (const std::optional<QByteArray> tree = swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
        collectWindows(QJsonDocument::fromJson(*tree).object(), name, found);
    return found;
}

QByteArray WaylandSession::describeWindows() const
{
    QByteArray text;
    const std::function<void(const QJsonObject &)> describe = [&](const QJsonObject &node) {
        const QString type = node.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("con") || type == QLatin1String("floating_con")) {
            const QJsonObject rect = node.value(QStringLiteral("rect")).toObject();
            text += QStringLiteral("%1 visible=%2 fullscreen=%3 at %4,%5 %6x%7\n")
                        .arg(node.value(QStringLiteral("app_id")).toString())
                        .arg(node.value(QStringLiteral("visible")).toBool())
                        .arg(node.value(QStringLiteral("fullscreen_mode")).toInt())
                        .arg(rect.value(QStringLiteral("x")).toInt())
                        .arg(rect.value(QStringLiteral("y")).toInt())
                        .arg(rect.value(QStringLiteral("width")).toInt())
                        .arg(rect.value(QStringLiteral("height")).toInt())
                        .toUtf8();
        }
        for (const char *children : {"nodes", "floating_nodes"}) {
            for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
                describe(child.toObject());
        }
    };
    if (const std::optional<QByteArray> tree = swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
        describe(QJsonDocument::fromJson(*tree).object());
    return text;
}

bool WaylandSession::waitForWindows(const QString &name, int count, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            const std::size_t visible = visibleWindows(name).size();
            return count == 0 ? visible > 0 : visible == std::size_t(count);
        },
        timeoutMs);
}

QString WaylandSession::clipboardText() const
{
    const std::optional<QByteArray> text =
        runClient(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, {}, 10000);
    return text ? QString::fromUtf8(*text) : QString();
}

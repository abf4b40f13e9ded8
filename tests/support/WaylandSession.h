#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <vector>

// A private Wayland desktop for tests: sway on its headless backend, a private
// D-Bus session bus whose activated services (the desktop portal and its
// backends) see this desktop, and PipeWire, which the wlroots portal needs.
// Programs run with environment() are clients of this desktop only; the
// test's own display and bus are left alone. Everything started is ended by
// the destructor.
class WaylandSession final {
public:
    struct Output {
        QRect geometry; // logical pixels
        int scale = 1;
    };

    WaylandSession();
    ~WaylandSession();
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;

    // Lines added to sway's configuration (key bindings, window rules); call before start().
    void addConfiguration(const QString &lines) { m_configuration += lines + u'\n'; }
    // The folder of *.portal files the portal frontend reads, and the desktop
    // name their UseIn= lines are matched against; by default the installed
    // portals and "sway".
    void setPortals(const QString &folder, const QString &desktopName);
    // Whether start() brings the portal up (the default, as on a desktop where
    // it has been used), or leaves it to the first client that asks for it.
    void setPortalStarted(bool started) { m_portalStarted = started; }

    // Starts the bus, PipeWire and sway with these outputs (named HEADLESS-1,
    // HEADLESS-2, … in order); false with a message in error() when one did
    // not come up. A bus-only session (no outputs) starts no compositor.
    bool start(const std::vector<Output> &outputs);
    QString error() const { return m_error; }

    // The environment of a client of this desktop (Qt on its Wayland platform).
    QProcessEnvironment environment() const { return m_environment; }
    QString busAddress() const { return m_busAddress; }

    // Runs swaymsg with these arguments; its standard output, or nothing when it failed.
    std::optional<QByteArray> swaymsg(const QStringList &arguments) const;
    // Runs a program of this desktop to its end (wtype, grim, wl-paste); its standard output.
    std::optional<QByteArray> runClient(const QString &program, const QStringList &arguments,
                                        const QByteArray &input = {}, int timeoutMs = 20000) const;

    // The pointer, in the layout's logical coordinates.
    bool movePointer(int x, int y) const;
    bool pressButton(bool down) const;
    // Drags with the left button from one point to another, in steps.
    bool drag(int fromX, int fromY, int toX, int toY) const;
    // Types keys through the virtual keyboard, e.g. {"-k", "Escape"}.
    bool type(const QStringList &wtypeArguments) const;

    // The visible windows whose app_id or title is name, from sway's tree.
    std::vector<QJsonObject> visibleWindows(const QString &name) const;
    // Waits until count windows of that name are visible (any number when count is 0).
    bool waitForWindows(const QString &name, int count = 0, int timeoutMs = 30000) const;

    // Every window of sway's tree, one a line, for failure messages.
    QByteArray describeWindows() const;

    // The text on the clipboard as another client reads it.
    QString clipboardText() const;

private:
    bool fail(const QString &message);
    bool startBus();
    bool pointerCommand(const QByteArray &command) const;

    QTemporaryDir m_dir;
    QString m_configuration;
    QString m_portalFolder;
    QString m_desktopName = QStringLiteral("sway");
    bool m_portalStarted = true;
    QString m_error;
    QString m_busAddress;
    QProcessEnvironment m_environment;
    QProcess m_bus;
    QProcess m_pipewire;
    QProcess m_sway;
    // The virtual pointer (vellora-test-pointer); mutable: commands are written to it.
    mutable QProcess m_pointer;
    QRect m_layout;
};

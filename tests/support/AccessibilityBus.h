#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Reads and drives running Qt applications the way assistive tools do: through
// the session's accessibility bus (AT-SPI). Applications take part when started
// with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (environmentForApplications()).
class AccessibilityBus final {
public:
    // One accessible object: the application's name on the bus and the object's path.
    struct Node {
        QString service;
        QString path;
    };

    // AT-SPI roles used by the tests.
    static constexpr quint32 LabelRole = 29;

    AccessibilityBus();
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus &) = delete;
    AccessibilityBus &operator=(const AccessibilityBus &) = delete;

    // Starts the session's accessibility bus (with this process's folders, not
    // the ones the session bus was started with; it ends with this object)
    // unless one runs, and connects to it.
    bool connect();

    // What an application needs in its environment to take part.
    static void addTo(QProcessEnvironment &environment);

    // The root object of the application run by process `pid`, once it registered.
    std::optional<Node> application(qint64 pid);

    QString name(const Node &node);
    quint32 role(const Node &node);
    QList<Node> children(const Node &node);
    // The first object below `root` (depth first) that `matches` takes.
    std::optional<Node> find(const Node &root, const std::function<bool(const QString &name, quint32 role)> &matches);
    // The names of every object below `root` with this role.
    QStringList names(const Node &root, quint32 role);
    // Runs the object's first action (a button's press).
    bool press(const Node &node);

private:
    QString m_connectionName;
    std::unique_ptr<QProcess> m_launcher;
};

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <optional>

class QDBusServiceWatcher;

// A panel's side of the StatusNotifierItem tray for tests: it owns
// org.kde.StatusNotifierWatcher on a bus of the test's own and says a host is
// there, so Qt's tray icon talks StatusNotifierItem instead of XEmbed. It keeps
// the items that register, reads their properties and clicks them the way a
// panel does (Activate and ContextMenu with the click's screen position), and
// reads and clicks the menus they export over com.canonical.dbusmenu.
class StatusNotifierHost final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    // One row of an exported menu, as a panel draws it.
    struct MenuRow {
        int id = 0;
        QString label; // with the mnemonic marks ("_") taken out
        bool enabled = true;
        bool visible = true;
        bool separator = false;
        QStringList shortcut; // the first key combination, e.g. {"Control", "q"}
    };

    StatusNotifierHost();
    ~StatusNotifierHost() override;
    StatusNotifierHost(const StatusNotifierHost &) = delete;
    StatusNotifierHost &operator=(const StatusNotifierHost &) = delete;

    // Connects to the bus at address and takes the watcher's name; false when
    // the name is taken or the bus is not there.
    bool start(const QString &address);
    // Starts a bus of its own (nothing on it but this panel and whoever is
    // pointed at busAddress()) and takes the name there.
    bool startOnOwnBus();
    QString busAddress() const { return m_busAddress; }

    // The registered items, "service/path" each, in the order they came.
    QStringList registeredItems() const { return m_items; }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    // A property of an item's org.kde.StatusNotifierItem interface as plain
    // values: texts, booleans, object paths as text; nothing when it cannot be read.
    std::optional<QVariant> itemProperty(const QString &item, const QString &name) const;
    // The tooltip's title.
    QString toolTipTitle(const QString &item) const;
    // The icon's pictures (IconPixmap), largest last as items send them.
    QList<QImage> iconPixmaps(const QString &item) const;

    // What a panel does on a left and a right click at this screen position.
    bool activate(const QString &item, QPoint position) const;
    bool contextMenu(const QString &item, QPoint position) const;

    // The exported menu's top-level rows (AboutToShow, then GetLayout, as a
    // panel opens it); nothing when the item exports no menu.
    std::optional<QList<MenuRow>> menu(const QString &item) const;
    // Clicks a row of the exported menu.
    bool clickMenuRow(const QString &item, int id) const;

public slots:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message);
    void RegisterStatusNotifierHost(const QString &service);

signals:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierItemUnregistered(const QString &item);
    void StatusNotifierHostRegistered();

private:
    QDBusConnection bus() const;
    QDBusMessage callItem(const QString &item, const QString &interface, const QString &method,
                          const QVariantList &arguments) const;
    QDBusMessage callObject(const QString &service, const QString &path, const QString &interface,
                            const QString &method, const QVariantList &arguments) const;
    std::optional<QString> menuPath(const QString &item) const;
    void onServiceUnregistered(const QString &service);

    QTemporaryDir m_busFolder;
    QProcess m_bus;
    QString m_busAddress;
    QString m_connectionName;
    QStringList m_items;
    QDBusServiceWatcher *m_watcher = nullptr;
};

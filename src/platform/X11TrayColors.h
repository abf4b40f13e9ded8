#pragma once

#include <QColor>
#include <QObject>

#include <memory>
#include <optional>

// The colours the X11 system tray asks its icons to use: the tray manager's
// _NET_SYSTEM_TRAY_COLORS (freedesktop system tray specification 0.4), which
// panels such as Xfce's, MATE's and GNOME Flashback's set to match their
// background. Watches the tray manager on a connection of its own (so its
// event selection never meets Qt's), following a panel that changes its theme
// or a tray that starts later. Nothing where no tray manager runs, the manager
// sets no colours, or there is no X display. GUI thread only.
class X11TrayColors final : public QObject {
    Q_OBJECT

public:
    explicit X11TrayColors(QObject *parent = nullptr);
    ~X11TrayColors() override;
    X11TrayColors(const X11TrayColors &) = delete;
    X11TrayColors &operator=(const X11TrayColors &) = delete;

    // The colour for an icon's ink on the panel ("normal" of the four the
    // specification lists), as the tray says it now.
    std::optional<QColor> foreground() const { return m_foreground; }

signals:
    // The tray's foreground colour changed, appeared or went away.
    void foregroundChanged();

private:
    struct Private;
    void refresh();
    void readEvents();

    std::unique_ptr<Private> d;
    std::optional<QColor> m_foreground;
};

#pragma once

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <QObject>

#include <memory>
#include <optional>

// The colours the X11 system tray asks its icons to use: the tray manager's
// _NET_SYSTEM_TRAY_COLORS (freedesktop system tray specification 0.4), which
// panels such as Xfce's, MATE's and GNOME Flashback's set to match their
// background. Watches the tray manager, so a panel that changes its theme or a
// tray that starts later is followed. Nothing where no tray manager runs, the
// manager sets no colours, or the display is not X11. GUI thread only.
class X11TrayColors final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11TrayColors(QObject *parent = nullptr);
    ~X11TrayColors() override;
    X11TrayColors(const X11TrayColors &) = delete;
    X11TrayColors &operator=(const X11TrayColors &) = delete;

    // The colour for an icon's ink on the panel ("normal" of the four the
    // specification lists), as the tray says it now.
    std::optional<QColor> foreground() const { return m_foreground; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // The tray's foreground colour changed, appeared or went away.
    void foregroundChanged();

private:
    struct Private;
    void refresh();

    std::unique_ptr<Private> d;
    std::optional<QColor> m_foreground;
};

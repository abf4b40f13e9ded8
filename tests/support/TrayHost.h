#pragma once

#include <QColor>
#include <QPoint>
#include <QProcess>

#include <optional>

// A real system tray on the session's X server (trayer, an XEmbed tray host)
// docked at the top right, so tray icons can be found and clicked.
class TrayHost final {
public:
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost &) = delete;
    TrayHost &operator=(const TrayHost &) = delete;

    // Starts trayer and waits for its window; false when it did not come up.
    bool start();
    // How many icons the tray holds (they are 24 pixels wide each).
    int iconCount() const;
    // The centre of the icon at this index, counted from the left.
    QPoint iconCentre(int index = 0) const;
    // Clicks an icon with a mouse button (1 left, 3 right).
    bool click(int index = 0, int button = 1) const;
    // Announces the colour the tray's icons should draw in, as panels that
    // follow their theme do (_NET_SYSTEM_TRAY_COLORS on the tray manager's
    // window), or withdraws it (trayer itself announces none).
    bool setIconColor(const std::optional<QColor> &foreground) const;

private:
    QProcess m_trayer;
};

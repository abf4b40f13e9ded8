#include "DisplayCheck.h"

#include <QtGlobal>

#include <memory>

#include <xcb/xcb.h>

namespace DisplayCheck {

std::optional<QByteArray> problem() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return std::nullopt;
    if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::nullopt;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return QByteArrayLiteral("no display is set (DISPLAY is empty)");
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display.constData(), nullptr), &xcb_disconnect);
    // xcb_connect never gives null: a failed connection is an object in an error state.
    if (xcb_connection_has_error(connection.get()) != 0)
        return QByteArrayLiteral("cannot connect to display ").append(display);
    return std::nullopt;
}

} // namespace DisplayCheck

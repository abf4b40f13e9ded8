#pragma once

#include <QByteArray>

#include <optional>

// Whether a graphical program can start here, asked before Qt starts: without a
// display Qt aborts with its own message, which a command line or a parent
// process cannot tell from a crash.
namespace DisplayCheck {

// Why no display can be used, as one line of text; std::nullopt when one can,
// or when the choice is Qt's (QT_QPA_PLATFORM names a platform, or
// WAYLAND_DISPLAY a Wayland compositor). Connects to the X server that DISPLAY
// names and leaves again; any thread.
std::optional<QByteArray> problem();

} // namespace DisplayCheck

#pragma once

#include <QString>

#include <functional>

class QObject;

// Puts text on the clipboard of a Wayland desktop. There a client may set the
// clipboard only while it has the keyboard focus, which a tray application
// finishing a capture does not have; wl-copy (wl-clipboard) uses the
// compositor's data-control protocol where it has one (wlroots, KDE) and a
// short-lived surface of its own elsewhere, and keeps serving the text until
// another client takes the clipboard.
namespace WaylandClipboard {

// Whether this is a Wayland session and wl-copy is installed.
bool available();

// Hands the text to wl-copy; done(true) once it holds the clipboard, done(false)
// when it could not. Never blocks; done runs on context's thread, and not at
// all once context is gone.
void copy(const QString &text, QObject *context, std::function<void(bool)> done);

} // namespace WaylandClipboard

#include "XKeyGrabber.h"

#include "KeyCodeTable.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};

} // namespace

struct XKeyGrabber::Private {
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
};

XKeyGrabber::XKeyGrabber() : d(std::make_unique<Private>())
{
    d->connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(d->connection) == 0)
        d->root = xcb_setup_roots_iterator(xcb_get_setup(d->connection)).data->root;
}

XKeyGrabber::~XKeyGrabber()
{
    xcb_disconnect(d->connection);
}

bool XKeyGrabber::connected() const
{
    return d->root != 0;
}

bool XKeyGrabber::grab(quint32 macKeyCode, quint32 macModifiers)
{
    const std::optional<quint32> key = KeyCodeTable::x11KeyCodeFromMac(macKeyCode);
    const std::optional<quint16> modifiers = KeyCodeTable::x11ModifiersFromMac(macModifiers);
    if (!connected() || !key || !modifiers)
        return false;
    const std::unique_ptr<xcb_generic_error_t, FreeDeleter> error{xcb_request_check(
        d->connection, xcb_grab_key_checked(d->connection, 0, d->root, *modifiers, xcb_keycode_t(*key),
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))};
    return !error;
}

void XKeyGrabber::ungrab(quint32 macKeyCode, quint32 macModifiers)
{
    const std::optional<quint32> key = KeyCodeTable::x11KeyCodeFromMac(macKeyCode);
    const std::optional<quint16> modifiers = KeyCodeTable::x11ModifiersFromMac(macModifiers);
    if (!connected() || !key || !modifiers)
        return;
    const std::unique_ptr<xcb_generic_error_t, FreeDeleter> error{
        xcb_request_check(d->connection, xcb_ungrab_key_checked(d->connection, xcb_keycode_t(*key), d->root, *modifiers))};
}

bool XKeyGrabber::heldElsewhere(quint32 macKeyCode, quint32 macModifiers) {
    XKeyGrabber probe;
    if (!probe.connected())
        return true;
    // The server serves no other client between the probe's grab and its
    // release: an application that grabs the combination meanwhile waits for
    // the release instead of being refused because of the probe.
    xcb_grab_server(probe.d->connection);
    const bool free = probe.grab(macKeyCode, macModifiers);
    if (free)
        probe.ungrab(macKeyCode, macModifiers);
    const std::unique_ptr<xcb_generic_error_t, FreeDeleter> error{
        xcb_request_check(probe.d->connection, xcb_ungrab_server_checked(probe.d->connection))};
    return !free;
}

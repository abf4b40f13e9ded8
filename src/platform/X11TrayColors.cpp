#include "X11TrayColors.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbPointer = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name) {
    const XcbPointer<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<quint16>(name.size()), name.constData()), nullptr)};
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

struct X11TrayColors::Private {
    std::unique_ptr<xcb_connection_t, ConnectionDeleter> connection;
    std::unique_ptr<QSocketNotifier> notifier;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t selection = XCB_ATOM_NONE; // _NET_SYSTEM_TRAY_S<screen>
    xcb_atom_t colors = XCB_ATOM_NONE;    // _NET_SYSTEM_TRAY_COLORS
    xcb_atom_t manager = XCB_ATOM_NONE;   // MANAGER, announced on the root window
    xcb_window_t owner = XCB_WINDOW_NONE; // the tray manager's window
};

X11TrayColors::X11TrayColors(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>()) {
    int screenNumber = 0;
    d->connection.reset(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(d->connection.get())) {
        d->connection.reset();
        return;
    }
    xcb_connection_t *connection = d->connection.get();
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screenNumber && screens.rem > 1; ++index)
        xcb_screen_next(&screens);
    d->root = screens.data->root;
    d->selection = internAtom(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    d->colors = internAtom(connection, "_NET_SYSTEM_TRAY_COLORS");
    d->manager = internAtom(connection, "MANAGER");
    // A tray manager that takes the selection announces itself on the root window.
    const quint32 rootEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, d->root, XCB_CW_EVENT_MASK, &rootEvents);
    d->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read);
    connect(d->notifier.get(), &QSocketNotifier::activated, this, &X11TrayColors::readEvents);
    refresh();
}

X11TrayColors::~X11TrayColors() = default;

void X11TrayColors::refresh() {
    xcb_connection_t *connection = d->connection.get();
    std::optional<QColor> foreground;
    const XcbPointer<xcb_get_selection_owner_reply_t> owner{
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, d->selection), nullptr)};
    const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
    if (window != d->owner && window != XCB_WINDOW_NONE) {
        const quint32 events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &events);
    }
    d->owner = window;
    if (window != XCB_WINDOW_NONE) {
        const XcbPointer<xcb_get_property_reply_t> property{xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, d->colors, XCB_ATOM_CARDINAL, 0, 12), nullptr)};
        // Twelve cardinals: red, green and blue of normal, error, warning and
        // success, each 0…65535.
        if (property && property->format == 32 && xcb_get_property_value_length(property.get()) >= 3 * 4) {
            const auto *values = static_cast<const quint32 *>(xcb_get_property_value(property.get()));
            foreground = QColor::fromRgba64(quint16(values[0]), quint16(values[1]), quint16(values[2]));
        }
    }
    xcb_flush(connection);
    if (foreground != m_foreground) {
        m_foreground = foreground;
        emit foregroundChanged();
    }
}

void X11TrayColors::readEvents() {
    xcb_connection_t *connection = d->connection.get();
    bool changed = false;
    while (const XcbPointer<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event.get());
            changed |= notify->window == d->owner && notify->atom == d->colors;
            break;
        }
        case XCB_CLIENT_MESSAGE: {
            // A tray manager took the selection (a panel started or restarted).
            const auto *client = reinterpret_cast<const xcb_client_message_event_t *>(event.get());
            changed |= client->type == d->manager && client->data.data32[1] == d->selection;
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto *destroyed = reinterpret_cast<const xcb_destroy_notify_event_t *>(event.get());
            if (destroyed->window == d->owner) {
                d->owner = XCB_WINDOW_NONE;
                changed = true;
            }
            break;
        }
        default:
            break;
        }
    }
    if (changed)
        refresh();
}

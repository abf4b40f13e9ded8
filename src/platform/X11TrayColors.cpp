#include "X11TrayColors.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcb.h>

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbPointer = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name) {
    const XcbPointer<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<quint16>(name.size()), name.constData()), nullptr)};
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

struct X11TrayColors::Private {
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t selection = XCB_ATOM_NONE; // _NET_SYSTEM_TRAY_S<screen>
    xcb_atom_t colors = XCB_ATOM_NONE;    // _NET_SYSTEM_TRAY_COLORS
    xcb_atom_t manager = XCB_ATOM_NONE;   // MANAGER, announced on the root window
    xcb_window_t owner = XCB_WINDOW_NONE; // the tray manager's window
};

X11TrayColors::X11TrayColors(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>()) {
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    d->connection = x11 ? x11->connection() : nullptr;
    if (!d->connection)
        return;
    int screenNumber = 0;
    if (const char *display = std::getenv("DISPLAY"); display && std::strchr(display, '.'))
        screenNumber = std::atoi(std::strrchr(display, '.') + 1);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(d->connection));
    for (int index = 0; index < screenNumber && screens.rem > 1; ++index)
        xcb_screen_next(&screens);
    d->root = screens.data->root;
    d->selection = internAtom(d->connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    d->colors = internAtom(d->connection, "_NET_SYSTEM_TRAY_COLORS");
    d->manager = internAtom(d->connection, "MANAGER");
    qGuiApp->installNativeEventFilter(this);
    refresh();
}

X11TrayColors::~X11TrayColors() {
    if (d->connection && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

void X11TrayColors::refresh() {
    std::optional<QColor> foreground;
    const XcbPointer<xcb_get_selection_owner_reply_t> owner{
        xcb_get_selection_owner_reply(d->connection, xcb_get_selection_owner(d->connection, d->selection), nullptr)};
    const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
    if (window != d->owner && window != XCB_WINDOW_NONE) {
        // Hear of changes to the colours. Qt's own tray support listens to the
        // manager's structure, so that stays selected too.
        const quint32 events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(d->connection, window, XCB_CW_EVENT_MASK, &events);
    }
    d->owner = window;
    if (window != XCB_WINDOW_NONE) {
        const XcbPointer<xcb_get_property_reply_t> property{xcb_get_property_reply(
            d->connection, xcb_get_property(d->connection, 0, window, d->colors, XCB_ATOM_CARDINAL, 0, 12), nullptr)};
        // Twelve cardinals: red, green and blue of normal, error, warning and
        // success, each 0…65535.
        if (property && property->format == 32 && xcb_get_property_value_length(property.get()) >= 3 * 4) {
            const auto *values = static_cast<const quint32 *>(xcb_get_property_value(property.get()));
            foreground = QColor::fromRgba64(quint16(values[0]), quint16(values[1]), quint16(values[2]));
        }
    }
    if (foreground != m_foreground) {
        m_foreground = foreground;
        emit foregroundChanged();
    }
}

bool X11TrayColors::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
        if (notify->window == d->owner && d->owner != XCB_WINDOW_NONE && notify->atom == d->colors)
            refresh();
        break;
    }
    case XCB_CLIENT_MESSAGE: {
        // A tray manager took the selection (a panel started or restarted).
        const auto *client = static_cast<const xcb_client_message_event_t *>(message);
        if (client->window == d->root && client->type == d->manager && client->data.data32[1] == d->selection)
            refresh();
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
        if (destroyed->window == d->owner && d->owner != XCB_WINDOW_NONE) {
            d->owner = XCB_WINDOW_NONE;
            refresh();
        }
        break;
    }
    default:
        break;
    }
    // Qt's tray support handles the same events too.
    return false;
}

#include "X11GlobalHotKeys.h"

#include "KeyCodeTable.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QMetaObject>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <xcb/xcb.h>

namespace {

// X's own names for the keys whose modifier bits are looked up.
constexpr xcb_keysym_t KeysymNumLock = 0xff7f;
constexpr xcb_keysym_t KeysymSuperL = 0xffeb;
constexpr xcb_keysym_t KeysymSuperR = 0xffec;
constexpr xcb_keysym_t KeysymAltL = 0xffe9;
constexpr xcb_keysym_t KeysymAltR = 0xffea;

constexpr quint8 XErrorBadAccess = 10;

// A held key repeats. Where the client asked for detectable auto-repeat the
// repeats are presses without a release in between; otherwise (Qt's connection
// by default) each repeat is a release and a press that carry the same server
// time. A press that follows the previous one by more than this window is a new
// press even without a release seen (another client may have taken the
// keyboard meanwhile), so a lost release can never silence the hot key.
constexpr xcb_timestamp_t RepeatWindowMs = 1000;

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbPointer = std::unique_ptr<T, FreeDeleter>;

Error hotKeyError(GlobalHotKeys::ErrorCode code, const QString &description) {
    return Error{QString::fromUtf16(GlobalHotKeys::ErrorDomain), code, description};
}

// Where the display puts the modifiers that have no core bit of their own.
struct ModifierLayout {
    KeyCodeTable::X11ModifierBits bits;
    quint16 numLock = 0;
};

// Reads the server's modifier mapping: the bit whose keys carry Num_Lock,
// Super_L/R and Alt_L/R. A modifier without a key keeps the usual bit (Num
// Lock: none, so no variant for it is grabbed).
ModifierLayout readModifierLayout(xcb_connection_t *connection) {
    ModifierLayout layout;
    const xcb_get_modifier_mapping_cookie_t modifierCookie = xcb_get_modifier_mapping(connection);
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_keycode_t minKeyCode = setup->min_keycode;
    const xcb_get_keyboard_mapping_cookie_t keyboardCookie =
        xcb_get_keyboard_mapping(connection, minKeyCode, static_cast<quint8>(setup->max_keycode - minKeyCode + 1));
    const XcbPointer<xcb_get_modifier_mapping_reply_t> modifiers{
        xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr)};
    const XcbPointer<xcb_get_keyboard_mapping_reply_t> keyboard{
        xcb_get_keyboard_mapping_reply(connection, keyboardCookie, nullptr)};
    if (!modifiers || !keyboard)
        return layout;

    const xcb_keycode_t *modifierKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int modifierKeyCount = xcb_get_modifier_mapping_keycodes_length(modifiers.get());
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
    const int perKeyCode = keyboard->keysyms_per_keycode;
    const int perModifier = modifiers->keycodes_per_modifier;
    if (perKeyCode == 0 || perModifier == 0)
        return layout;

    quint16 superBit = 0;
    quint16 altBit = 0;
    // Rows 0–2 are Shift, Lock and Control; only Mod1…Mod5 are looked up.
    for (int row = 3; row < 8; ++row) {
        const auto bit = static_cast<quint16>(1u << row);
        for (int column = 0; column < perModifier; ++column) {
            const int index = row * perModifier + column;
            if (index >= modifierKeyCount)
                break;
            const xcb_keycode_t keyCode = modifierKeys[index];
            if (keyCode < minKeyCode)
                continue;
            for (int level = 0; level < perKeyCode; ++level) {
                const int symbolIndex = (keyCode - minKeyCode) * perKeyCode + level;
                if (symbolIndex >= keysymCount)
                    break;
                const xcb_keysym_t keysym = keysyms[symbolIndex];
                if (keysym == KeysymNumLock && layout.numLock == 0)
                    layout.numLock = bit;
                else if ((keysym == KeysymSuperL || keysym == KeysymSuperR) && superBit == 0)
                    superBit = bit;
                else if ((keysym == KeysymAltL || keysym == KeysymAltR) && altBit == 0)
                    altBit = bit;
            }
        }
    }
    if (superBit != 0)
        layout.bits.super = superBit;
    if (altBit != 0)
        layout.bits.alt = altBit;
    return layout;
}

std::vector<xcb_window_t> rootWindows(xcb_connection_t *connection) {
    std::vector<xcb_window_t> roots;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0;
         xcb_screen_next(&it))
        roots.push_back(it.data->root);
    return roots;
}

} // namespace

class X11GlobalHotKeys::Private final : public QAbstractNativeEventFilter {
public:
    struct Grab {
        xcb_window_t root;
        quint16 modifiers;
    };

    struct Registration {
        HotKeyId id;
        xcb_keycode_t keyCode = 0;
        quint16 modifiers = 0;
        // Lock bits that do not change which combination a press is.
        quint16 ignored = 0;
        std::vector<Grab> grabs;
        bool held = false;
        xcb_timestamp_t lastPress = 0;
        std::optional<xcb_timestamp_t> lastRelease;
    };

    explicit Private(X11GlobalHotKeys *owner)
        : q(owner) {
        if (qGuiApp == nullptr)
            return;
        if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            connection = x11->connection();
        if (connection != nullptr)
            qGuiApp->installNativeEventFilter(this);
    }

    ~Private() override {
        // Without the application the connection is gone, and its grabs with it.
        if (connection == nullptr || qGuiApp == nullptr)
            return;
        qGuiApp->removeNativeEventFilter(this);
        for (const auto &[handle, registration] : registrations)
            ungrab(registration.keyCode, registration.grabs);
        sync();
    }

    void ungrab(xcb_keycode_t keyCode, const std::vector<Grab> &grabs) const {
        for (const Grab &grab : grabs)
            xcb_ungrab_key(connection, keyCode, grab.root, grab.modifiers);
    }

    // Waits until the server has handled every request sent so far. A flush
    // alone is not enough: the server may serve another client first, which then
    // still finds a combination grabbed that we have already let go.
    void sync() const {
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
        if (eventType != "xcb_generic_event_t" || registrations.empty())
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const quint8 type = event->response_type & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        // Press and release events share one layout.
        const auto *key = static_cast<const xcb_key_press_event_t *>(message);
        bool matched = false;
        for (auto &[handle, registration] : registrations) {
            if (registration.keyCode != key->detail)
                continue;
            if (type == XCB_KEY_RELEASE) {
                // The modifiers may already be up when the key is released.
                if (registration.held) {
                    matched = true;
                    registration.held = false;
                    registration.lastRelease = key->time;
                }
                continue;
            }
            const quint16 state = key->state & 0xff & ~registration.ignored;
            if (state != registration.modifiers)
                continue;
            matched = true;
            const bool repeat = (registration.held && key->time - registration.lastPress < RepeatWindowMs) ||
                                (!registration.held && registration.lastRelease == key->time);
            registration.held = true;
            registration.lastPress = key->time;
            registration.lastRelease.reset();
            if (!repeat) {
                // The handler runs from the event loop, never inside the native event.
                QMetaObject::invokeMethod(
                    q, [owner = q, id = registration.id] { emit owner->hotKeyPressed(id); }, Qt::QueuedConnection);
            }
        }
        return matched;
    }

    X11GlobalHotKeys *q;
    xcb_connection_t *connection = nullptr;
    std::map<Handle, Registration> registrations;
    Handle nextHandle = 1;
};

X11GlobalHotKeys::X11GlobalHotKeys(QObject *parent)
    : GlobalHotKeys(parent)
    , d(std::make_unique<Private>(this)) {}

X11GlobalHotKeys::~X11GlobalHotKeys() = default;

Result<GlobalHotKeys::Handle> X11GlobalHotKeys::registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyId id) {
    xcb_connection_t *connection = d->connection;
    if (connection == nullptr) {
        const QString platform = qGuiApp != nullptr ? QGuiApplication::platformName() : QStringLiteral("none");
        return hotKeyError(Unavailable, QStringLiteral("Global hot keys need an X11 display; the \u201c%1\u201d "
                                                       "platform has none.")
                                            .arg(platform));
    }
    if (xcb_connection_has_error(connection) != 0)
        return hotKeyError(Unavailable, QStringLiteral("The connection to the X11 display is broken."));

    const std::optional<quint32> x11KeyCode = KeyCodeTable::x11KeyCodeFromMac(keyCode);
    const xcb_setup_t *setup = xcb_get_setup(connection);
    if (!x11KeyCode || *x11KeyCode < setup->min_keycode || *x11KeyCode > setup->max_keycode)
        return hotKeyError(Unmappable, QStringLiteral("Key code %1 has no key on this display.").arg(keyCode));
    const ModifierLayout layout = readModifierLayout(connection);
    const std::optional<quint16> x11Modifiers = KeyCodeTable::x11ModifiersFromMac(modifiers, layout.bits);
    if (!x11Modifiers)
        return hotKeyError(Unmappable,
                           QStringLiteral("Modifier mask %1 cannot be grabbed on this display.").arg(modifiers));

    Private::Registration registration;
    registration.id = id;
    registration.keyCode = static_cast<xcb_keycode_t>(*x11KeyCode);
    registration.modifiers = *x11Modifiers;
    registration.ignored = XCB_MOD_MASK_LOCK | layout.numLock;

    // A second grab of the same combination by this client would silently
    // replace the first, and releasing either would release both.
    for (const auto &[handle, other] : d->registrations) {
        if (other.keyCode == registration.keyCode && other.modifiers == registration.modifiers)
            return hotKeyError(Refused, QStringLiteral("This application has already registered the combination."));
    }

    std::vector<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (layout.numLock != 0 && (registration.modifiers & layout.numLock) == 0) {
        variants.push_back(layout.numLock);
        variants.push_back(static_cast<quint16>(layout.numLock | XCB_MOD_MASK_LOCK));
    }

    // Every grab is sent before the first answer is awaited: one round trip.
    struct Pending {
        Private::Grab grab;
        xcb_void_cookie_t cookie;
    };
    std::vector<Pending> pending;
    for (const xcb_window_t root : rootWindows(connection)) {
        for (const quint16 variant : variants) {
            const auto grabModifiers = static_cast<quint16>(registration.modifiers | variant);
            pending.push_back({{root, grabModifiers},
                               xcb_grab_key_checked(connection, 0, root, grabModifiers, registration.keyCode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
        }
    }
    std::optional<quint8> failure;
    for (const Pending &request : pending) {
        const XcbPointer<xcb_generic_error_t> error{xcb_request_check(connection, request.cookie)};
        if (error) {
            if (!failure || error->error_code == XErrorBadAccess)
                failure = error->error_code;
        } else {
            registration.grabs.push_back(request.grab);
        }
    }
    if (failure) {
        d->ungrab(registration.keyCode, registration.grabs);
        d->sync();
        if (*failure == XErrorBadAccess)
            return hotKeyError(Refused, QStringLiteral("Another application holds the combination."));
        return hotKeyError(Failed, QStringLiteral("The X11 display refused the grab (error %1).").arg(*failure));
    }
    if (xcb_connection_has_error(connection) != 0)
        return hotKeyError(Unavailable, QStringLiteral("The connection to the X11 display is broken."));

    const Handle handle = d->nextHandle++;
    d->registrations.emplace(handle, std::move(registration));
    return handle;
}

void X11GlobalHotKeys::unregisterHotKey(Handle handle) {
    const auto found = d->registrations.find(handle);
    if (found == d->registrations.end())
        return;
    d->ungrab(found->second.keyCode, found->second.grabs);
    d->sync();
    d->registrations.erase(found);
}

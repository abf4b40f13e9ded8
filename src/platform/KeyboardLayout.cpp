#include "KeyboardLayout.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <optional>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};

struct ContextDeleter {
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};

struct KeymapDeleter {
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};

// The text of a keysym, if it is one printable character.
QString textOfKeysym(xkb_keysym_t keysym) {
    const char32_t character = xkb_keysym_to_utf32(keysym);
    if (character == 0)
        return {};
    const QString text = QString::fromUcs4(&character, 1);
    if (!text.at(0).isPrint() || text.at(0).isSpace())
        return {};
    return text;
}

xcb_connection_t *displayConnection() {
    if (!qGuiApp)
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The server's core keyboard mapping lists, per key, level 1 and 2 of group 1,
// then those of group 2, and so on.
std::optional<xcb_keysym_t> displayKeysym(xcb_connection_t *connection, quint32 x11KeyCode, int group) {
    const xcb_setup_t *setup = xcb_get_setup(connection);
    if (x11KeyCode < setup->min_keycode || x11KeyCode > setup->max_keycode)
        return xcb_keysym_t(0);
    const xcb_get_keyboard_mapping_cookie_t cookie =
        xcb_get_keyboard_mapping(connection, static_cast<xcb_keycode_t>(x11KeyCode), 1);
    const std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeDeleter> reply{
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr)};
    if (!reply)
        return std::nullopt;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int count = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    const int column = 2 * group < count && keysyms[2 * group] != 0 ? 2 * group : 0;
    return count > 0 ? keysyms[column] : xcb_keysym_t(0);
}

// The layout the environment names, compiled once.
xkb_keymap *environmentKeymap() {
    static const std::unique_ptr<xkb_context, ContextDeleter> context{xkb_context_new(XKB_CONTEXT_NO_FLAGS)};
    static const std::unique_ptr<xkb_keymap, KeymapDeleter> keymap{
        context ? xkb_keymap_new_from_names(context.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr};
    return keymap.get();
}

xkb_keysym_t environmentKeysym(quint32 x11KeyCode, int group) {
    xkb_keymap *keymap = environmentKeymap();
    if (!keymap)
        return 0;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, x11KeyCode);
    if (layouts == 0)
        return 0;
    const xkb_layout_index_t layout = xkb_layout_index_t(group) < layouts ? xkb_layout_index_t(group) : 0;
    const xkb_keysym_t *keysyms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, x11KeyCode, layout, 0, &keysyms);
    return count > 0 ? keysyms[0] : 0;
}

} // namespace

namespace KeyboardLayout {

QString unmodifiedText(quint32 x11KeyCode, int group) {
    group = qBound(0, group, 3);
    if (xcb_connection_t *connection = displayConnection()) {
        if (const std::optional<xcb_keysym_t> keysym = displayKeysym(connection, x11KeyCode, group))
            return textOfKeysym(*keysym);
    }
    return textOfKeysym(environmentKeysym(x11KeyCode, group));
}

int groupOfState(quint32 x11State) {
    return int((x11State >> 13) & 0x3);
}

} // namespace KeyboardLayout

#include "KeyCodeTable.h"

#include <array>

#include <linux/input-event-codes.h>

namespace KeyCodeTable {

namespace {

// X11 keycodes are evdev codes shifted by the minimum keycode the evdev and
// libinput drivers (and Xvfb's default keymap) use.
constexpr quint32 X11KeyCodeOffset = 8;

constexpr quint16 X11Shift = 0x01;
constexpr quint16 X11Control = 0x04;

struct Entry {
    quint32 mac;
    quint32 evdev;
};

// macOS virtual key codes (Carbon's kVK_* names in the comments) against the
// evdev key at the same place on the keyboard.
constexpr std::array Entries{
    // Letters.
    Entry{0x00, KEY_A}, // kVK_ANSI_A
    Entry{0x01, KEY_S}, Entry{0x02, KEY_D}, Entry{0x03, KEY_F}, Entry{0x04, KEY_H}, Entry{0x05, KEY_G},
    Entry{0x06, KEY_Z}, Entry{0x07, KEY_X}, Entry{0x08, KEY_C}, Entry{0x09, KEY_V}, Entry{0x0B, KEY_B},
    Entry{0x0C, KEY_Q}, Entry{0x0D, KEY_W}, Entry{0x0E, KEY_E}, Entry{0x0F, KEY_R}, Entry{0x10, KEY_Y},
    Entry{0x11, KEY_T}, Entry{0x1F, KEY_O}, Entry{0x20, KEY_U}, Entry{0x22, KEY_I}, Entry{0x23, KEY_P},
    Entry{0x25, KEY_L}, Entry{0x26, KEY_J}, Entry{0x28, KEY_K}, Entry{0x2D, KEY_N}, Entry{0x2E, KEY_M},
    // Digits of the main block.
    Entry{0x12, KEY_1}, // kVK_ANSI_1
    Entry{0x13, KEY_2}, Entry{0x14, KEY_3}, Entry{0x15, KEY_4}, Entry{0x16, KEY_6}, Entry{0x17, KEY_5},
    Entry{0x19, KEY_9}, Entry{0x1A, KEY_7}, Entry{0x1C, KEY_8}, Entry{0x1D, KEY_0},
    // Punctuation.
    Entry{0x18, KEY_EQUAL},      // kVK_ANSI_Equal
    Entry{0x1B, KEY_MINUS},      // kVK_ANSI_Minus
    Entry{0x1E, KEY_RIGHTBRACE}, // kVK_ANSI_RightBracket
    Entry{0x21, KEY_LEFTBRACE},  // kVK_ANSI_LeftBracket
    Entry{0x27, KEY_APOSTROPHE}, // kVK_ANSI_Quote
    Entry{0x29, KEY_SEMICOLON},  // kVK_ANSI_Semicolon
    Entry{0x2A, KEY_BACKSLASH},  // kVK_ANSI_Backslash
    Entry{0x2B, KEY_COMMA},      // kVK_ANSI_Comma
    Entry{0x2C, KEY_SLASH},      // kVK_ANSI_Slash
    Entry{0x2F, KEY_DOT},        // kVK_ANSI_Period
    Entry{0x32, KEY_GRAVE},      // kVK_ANSI_Grave
    Entry{0x0A, KEY_102ND},      // kVK_ISO_Section: the extra key of ISO keyboards
    // Editing and whitespace.
    Entry{0x24, KEY_ENTER},     // kVK_Return
    Entry{0x30, KEY_TAB},       // kVK_Tab
    Entry{0x31, KEY_SPACE},     // kVK_Space
    Entry{0x33, KEY_BACKSPACE}, // kVK_Delete
    Entry{0x35, KEY_ESC},       // kVK_Escape
    // Function keys.
    Entry{0x7A, KEY_F1}, // kVK_F1
    Entry{0x78, KEY_F2}, Entry{0x63, KEY_F3}, Entry{0x76, KEY_F4}, Entry{0x60, KEY_F5}, Entry{0x61, KEY_F6},
    Entry{0x62, KEY_F7}, Entry{0x64, KEY_F8}, Entry{0x65, KEY_F9}, Entry{0x6D, KEY_F10}, Entry{0x67, KEY_F11},
    Entry{0x6F, KEY_F12}, Entry{0x69, KEY_F13}, Entry{0x6B, KEY_F14}, Entry{0x71, KEY_F15}, Entry{0x6A, KEY_F16},
    Entry{0x40, KEY_F17}, Entry{0x4F, KEY_F18}, Entry{0x50, KEY_F19}, Entry{0x5A, KEY_F20},
    // Navigation. Apple's Help key sits where PC keyboards have Insert, and a
    // PC keyboard's Insert reports kVK_Help on macOS, so the two are one place.
    Entry{0x72, KEY_INSERT},   // kVK_Help
    Entry{0x73, KEY_HOME},     // kVK_Home
    Entry{0x74, KEY_PAGEUP},   // kVK_PageUp
    Entry{0x75, KEY_DELETE},   // kVK_ForwardDelete
    Entry{0x77, KEY_END},      // kVK_End
    Entry{0x79, KEY_PAGEDOWN}, // kVK_PageDown
    Entry{0x7B, KEY_LEFT},     // kVK_LeftArrow
    Entry{0x7C, KEY_RIGHT},    // kVK_RightArrow
    Entry{0x7D, KEY_DOWN},     // kVK_DownArrow
    Entry{0x7E, KEY_UP},       // kVK_UpArrow
    // Keypad. Apple's keypad Clear sits where PC keypads have Num Lock.
    Entry{0x52, KEY_KP0}, // kVK_ANSI_Keypad0
    Entry{0x53, KEY_KP1}, Entry{0x54, KEY_KP2}, Entry{0x55, KEY_KP3}, Entry{0x56, KEY_KP4}, Entry{0x57, KEY_KP5},
    Entry{0x58, KEY_KP6}, Entry{0x59, KEY_KP7}, Entry{0x5B, KEY_KP8}, Entry{0x5C, KEY_KP9},
    Entry{0x41, KEY_KPDOT},      // kVK_ANSI_KeypadDecimal
    Entry{0x43, KEY_KPASTERISK}, // kVK_ANSI_KeypadMultiply
    Entry{0x45, KEY_KPPLUS},     // kVK_ANSI_KeypadPlus
    Entry{0x47, KEY_NUMLOCK},    // kVK_ANSI_KeypadClear
    Entry{0x4B, KEY_KPSLASH},    // kVK_ANSI_KeypadDivide
    Entry{0x4C, KEY_KPENTER},    // kVK_ANSI_KeypadEnter
    Entry{0x4E, KEY_KPMINUS},    // kVK_ANSI_KeypadMinus
    Entry{0x51, KEY_KPEQUAL},    // kVK_ANSI_KeypadEquals
    // Japanese keyboards.
    Entry{0x5D, KEY_YEN},       // kVK_JIS_Yen
    Entry{0x5E, KEY_RO},        // kVK_JIS_Underscore
    Entry{0x5F, KEY_KPJPCOMMA}, // kVK_JIS_KeypadComma
    Entry{0x66, KEY_HANJA},     // kVK_JIS_Eisu (Lang2)
    Entry{0x68, KEY_HANGEUL},   // kVK_JIS_Kana (Lang1)
    // Media and menu keys.
    Entry{0x48, KEY_VOLUMEUP},   // kVK_VolumeUp
    Entry{0x49, KEY_VOLUMEDOWN}, // kVK_VolumeDown
    Entry{0x4A, KEY_MUTE},       // kVK_Mute
    Entry{0x6E, KEY_COMPOSE},    // kVK_ContextualMenu
};

struct Name {
    quint32 mac;
    const char *name;
};

// Keys named by what they do rather than by a character, as PC keyboards print them.
constexpr std::array Names{
    Name{0x24, "Enter"},    Name{0x30, "Tab"},       Name{0x31, "Space"},       Name{0x33, "Backspace"},
    Name{0x35, "Esc"},      Name{0x7A, "F1"},        Name{0x78, "F2"},          Name{0x63, "F3"},
    Name{0x76, "F4"},       Name{0x60, "F5"},        Name{0x61, "F6"},          Name{0x62, "F7"},
    Name{0x64, "F8"},       Name{0x65, "F9"},        Name{0x6D, "F10"},         Name{0x67, "F11"},
    Name{0x6F, "F12"},      Name{0x69, "F13"},       Name{0x6B, "F14"},         Name{0x71, "F15"},
    Name{0x6A, "F16"},      Name{0x40, "F17"},       Name{0x4F, "F18"},         Name{0x50, "F19"},
    Name{0x5A, "F20"},      Name{0x72, "Insert"},    Name{0x73, "Home"},        Name{0x74, "Page Up"},
    Name{0x75, "Delete"},   Name{0x77, "End"},       Name{0x79, "Page Down"},   Name{0x7B, "Left"},
    Name{0x7C, "Right"},    Name{0x7D, "Down"},      Name{0x7E, "Up"},          Name{0x52, "Num 0"},
    Name{0x53, "Num 1"},    Name{0x54, "Num 2"},     Name{0x55, "Num 3"},       Name{0x56, "Num 4"},
    Name{0x57, "Num 5"},    Name{0x58, "Num 6"},     Name{0x59, "Num 7"},       Name{0x5B, "Num 8"},
    Name{0x5C, "Num 9"},    Name{0x41, "Num ."},     Name{0x43, "Num *"},       Name{0x45, "Num +"},
    Name{0x47, "Num Lock"}, Name{0x4B, "Num /"},     Name{0x4C, "Num Enter"},   Name{0x4E, "Num -"},
    Name{0x51, "Num ="},    Name{0x48, "Volume Up"}, Name{0x49, "Volume Down"}, Name{0x4A, "Mute"},
    Name{0x6E, "Menu"},
};

} // namespace

QString keyName(quint32 macKeyCode) {
    for (const Name &name : Names) {
        if (name.mac == macKeyCode)
            return QString::fromLatin1(name.name);
    }
    return {};
}

std::optional<quint32> evdevFromMac(quint32 macKeyCode) {
    for (const Entry &entry : Entries) {
        if (entry.mac == macKeyCode)
            return entry.evdev;
    }
    return std::nullopt;
}

std::optional<quint32> macFromEvdev(quint32 evdevCode) {
    for (const Entry &entry : Entries) {
        if (entry.evdev == evdevCode)
            return entry.mac;
    }
    return std::nullopt;
}

std::optional<quint32> x11KeyCodeFromMac(quint32 macKeyCode) {
    if (const auto evdev = evdevFromMac(macKeyCode))
        return *evdev + X11KeyCodeOffset;
    return std::nullopt;
}

std::optional<quint32> macFromX11KeyCode(quint32 x11KeyCode) {
    if (x11KeyCode < X11KeyCodeOffset)
        return std::nullopt;
    return macFromEvdev(x11KeyCode - X11KeyCodeOffset);
}

std::optional<quint16> x11ModifiersFromMac(quint32 macModifiers, X11ModifierBits bits) {
    if ((macModifiers & ~MacModifierBits) != 0)
        return std::nullopt;
    if (((macModifiers & MacOption) && bits.alt == 0) || ((macModifiers & MacCommand) && bits.super == 0))
        return std::nullopt;
    quint16 mask = 0;
    if (macModifiers & MacShift)
        mask |= X11Shift;
    if (macModifiers & MacControl)
        mask |= X11Control;
    if (macModifiers & MacOption)
        mask |= bits.alt;
    if (macModifiers & MacCommand)
        mask |= bits.super;
    return mask;
}

quint32 macModifiersFromX11(quint16 x11State, X11ModifierBits bits) {
    quint32 mask = 0;
    if (x11State & X11Shift)
        mask |= MacShift;
    if (x11State & X11Control)
        mask |= MacControl;
    if (bits.alt != 0 && (x11State & bits.alt))
        mask |= MacOption;
    if (bits.super != 0 && (x11State & bits.super))
        mask |= MacCommand;
    return mask;
}

Qt::KeyboardModifiers qtModifiersFromMac(quint32 macModifiers) {
    Qt::KeyboardModifiers modifiers;
    if (macModifiers & MacShift)
        modifiers |= Qt::ShiftModifier;
    if (macModifiers & MacControl)
        modifiers |= Qt::ControlModifier;
    if (macModifiers & MacOption)
        modifiers |= Qt::AltModifier;
    if (macModifiers & MacCommand)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

quint32 macModifiersFromQt(Qt::KeyboardModifiers modifiers) {
    quint32 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= MacShift;
    if (modifiers & Qt::ControlModifier)
        mask |= MacControl;
    if (modifiers & Qt::AltModifier)
        mask |= MacOption;
    if (modifiers & Qt::MetaModifier)
        mask |= MacCommand;
    return mask;
}

} // namespace KeyCodeTable

#pragma once

#include <QString>
#include <QtGlobal>
#include <Qt>

#include <optional>

// Translates between the stored hot-key vocabulary (macOS virtual key codes and
// the classic modifier mask, kept so that config.json is the same file on every
// machine) and the Linux one: evdev key codes, X11 key codes (evdev + 8), X11
// modifier masks and Qt keyboard modifiers. Both key vocabularies are
// positional: a code names a place on the keyboard, not the character the
// layout puts there. Modifier keys on their own (Shift, Control, Option,
// Command, Caps Lock, Function) have no entry: they cannot be the key of a hot
// key, and the shortcut recorder skips presses that have none.
namespace KeyCodeTable {

// Modifier bits of the stored mask.
inline constexpr quint32 MacCommand = 256;
inline constexpr quint32 MacShift = 512;
inline constexpr quint32 MacOption = 2048;
inline constexpr quint32 MacControl = 4096;
inline constexpr quint32 MacModifierBits = MacCommand | MacShift | MacOption | MacControl;

// The evdev code of a macOS virtual key code; std::nullopt for a code without an entry.
std::optional<quint32> evdevFromMac(quint32 macKeyCode);
// The macOS virtual key code of an evdev code; std::nullopt for a code without an entry.
std::optional<quint32> macFromEvdev(quint32 evdevCode);

// The name a PC keyboard prints on a key whose name does not depend on the
// layout ("F5", "Space", "Enter", "Page Up", "Num 5"); an empty text for the keys
// whose name is the character the layout puts there (letters, digits,
// punctuation).
QString keyName(quint32 macKeyCode);

// The same through X11 key codes (the X server numbers keys evdev + 8). The
// recorder reads these from QKeyEvent::nativeScanCode() on xcb.
std::optional<quint32> x11KeyCodeFromMac(quint32 macKeyCode);
std::optional<quint32> macFromX11KeyCode(quint32 x11KeyCode);

// Which X11 modifier bits (Mod1…Mod5) carry Super and Alt on the display. Shift
// and Control always have their own core bits; the defaults are the usual
// layout (Alt on Mod1, Super on Mod4), a backend reads the real ones from the
// server's modifier mapping.
struct X11ModifierBits {
    quint16 super = 0x40; // Mod4Mask
    quint16 alt = 0x08;   // Mod1Mask
};

// The X11 modifier mask of a stored mask; std::nullopt when it holds bits other
// than Command, Shift, Option and Control, or needs Super or Alt where the
// display has no bit for it (those cannot be grabbed faithfully).
std::optional<quint16> x11ModifiersFromMac(quint32 macModifiers, X11ModifierBits bits = {});
// The stored mask of an X11 event state. Lock bits, pointer buttons and
// modifiers without a stored counterpart are dropped.
quint32 macModifiersFromX11(quint16 x11State, X11ModifierBits bits = {});

// Qt's modifiers on X11: Meta is Super, so it stands for Command; Alt for
// Option. Keypad and group-switch flags are dropped.
Qt::KeyboardModifiers qtModifiersFromMac(quint32 macModifiers);
quint32 macModifiersFromQt(Qt::KeyboardModifiers modifiers);

} // namespace KeyCodeTable

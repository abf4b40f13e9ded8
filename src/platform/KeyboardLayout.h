#pragma once

#include <QString>
#include <QtGlobal>

// What the keys of the keyboard type, read from the display's own keyboard
// mapping on X11. Without an X display (the offscreen platform, a command-line
// mode) the XKB layout that the environment names is compiled instead
// (XKB_DEFAULT_LAYOUT and its siblings; a US keyboard when none is named).
// GUI thread only.
namespace KeyboardLayout {

// The text the key with this X11 key code types in layout group `group` (0 the
// first) with no modifier held: "2" for the key that types "@" with Shift on a
// US keyboard. Empty for keys that type nothing (function keys, modifiers, dead
// keys) and for codes outside the mapping.
QString unmodifiedText(quint32 x11KeyCode, int group = 0);

// The layout group an X11 event state names (its bits 13 and 14).
int groupOfState(quint32 x11State);

} // namespace KeyboardLayout

#pragma once

#include <QString>

// Keyboard shortcuts as menus show them ("Ctrl+N"). Tesseract often reads the
// final "l" of "Ctrl" as "i", "I" or "1".
namespace ShortcutText {

// The line with "Ctri+", "CtrI+" and "Ctr1+" spelt "Ctrl+"; other text is left
// as it is.
QString fixModifierNames(const QString &line);

} // namespace ShortcutText

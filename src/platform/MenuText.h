#pragma once

#include <QString>

// What Tesseract makes of the marks and shortcuts of menus.
namespace MenuText {

// The line with "Ctri+", "CtrI+" and "Ctr1+" spelt "Ctrl+": Tesseract often
// reads the final "l" of "Ctrl" as "i", "I" or "1". Other text is left as it is.
QString fixModifierNames(const QString &line);

// The line without the tick of a checked menu item or list row, which
// Tesseract reads as "v", "V" or "ˇ" standing alone before the item's text (a
// capital letter or a Chinese character). Other text is left as it is.
QString withoutLeadingTick(const QString &line);

} // namespace MenuText

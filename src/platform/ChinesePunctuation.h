#pragma once

#include <QString>

// Tesseract's artefacts in Chinese text: it puts a space between every two
// Chinese characters and reads the full-width punctuation of Chinese text as
// ASCII.
namespace ChinesePunctuation {

// True for Han characters, CJK punctuation and full-width forms.
bool isChinese(char32_t c);

// The line without the single spaces between Chinese characters (a wider gap,
// between columns or a label and its value, stays as one space), and with the ASCII
// punctuation that stands in Chinese text (next to Chinese characters, or
// ending a clause before the next Chinese one) made full-width. Latin text,
// numbers and their punctuation are left as they are.
QString normalizeLine(const QString &line);

} // namespace ChinesePunctuation

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

// The line without the curly double quotes that are the remains of a grid
// line or a button's edge: a quote that begins a word of Chinese characters or
// digits, holds no other quote in that word, and has no partner on its line
// (no opening quote before a closing one, no closing quote after an opening
// one). It becomes a space, so the gap it stood in stays a gap.
QString withoutStrayQuotes(const QString &line);

} // namespace ChinesePunctuation

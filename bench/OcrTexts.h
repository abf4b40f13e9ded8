#pragma once

#include <QStringList>

// The texts the recognition bench draws. Every list is split in two halves:
// even entries for the tuning set, odd entries for the held-back set, so that
// the held-back samples show texts the tuning never saw.
namespace OcrTexts {

enum class Half { Tuning, HeldBack };

// Every second entry of list, starting at 0 (tuning) or 1 (held back).
QStringList half(const QStringList &list, Half which);

extern const QStringList simplifiedSentences;
extern const QStringList traditionalSentences;
extern const QStringList englishSentences;
extern const QStringList codeLines;
extern const QStringList codeCommentsSimplified;
extern const QStringList codeCommentsTraditional;
extern const QStringList mixedLinesSimplified;
extern const QStringList mixedLinesTraditional;
extern const QStringList menuItemsSimplified;
extern const QStringList menuItemsTraditional;
extern const QStringList menuItemsEnglish;
extern const QStringList menuShortcuts;
extern const QStringList settingLabelsSimplified;
extern const QStringList settingLabelsTraditional;
extern const QStringList settingLabelsEnglish;
extern const QStringList fieldValuesLatin;
extern const QStringList fieldValuesSimplified;
extern const QStringList fieldValuesTraditional;
extern const QStringList buttonsSimplified;
extern const QStringList buttonsTraditional;
extern const QStringList buttonsEnglish;
extern const QStringList titlesSimplified;
extern const QStringList titlesTraditional;
extern const QStringList titlesEnglish;
extern const QStringList chatSimplified;
extern const QStringList chatTraditional;
extern const QStringList chatEnglish;
extern const QStringList tableProductsSimplified;
extern const QStringList tableProductsTraditional;
extern const QStringList tableStatusSimplified;
extern const QStringList tableStatusTraditional;
extern const QStringList fileNamesSimplified;
extern const QStringList fileNamesTraditional;
extern const QStringList statusBarSimplified;
extern const QStringList statusBarTraditional;
extern const QStringList statusBarEnglish;

enum class Locale { Simplified, Traditional, English };

// The texts of one interface language, from one half of the lists.
struct Vocabulary {
    QString script; // "zh-Hans", "zh-Hant" or empty for English
    QStringList sentences;
    QStringList mixedLines;
    QStringList codeComments;
    QStringList menuItems;
    QStringList settingLabels;
    QStringList fieldValues; // of this language, and Latin ones
    QStringList buttons;
    QStringList titles;
    QStringList chat;
    QStringList tableProducts;
    QStringList tableStatus;
    QStringList tableHeaders;
    QStringList fileNames;
    QStringList statusBar;
};

Vocabulary vocabulary(Locale locale, Half which);

} // namespace OcrTexts

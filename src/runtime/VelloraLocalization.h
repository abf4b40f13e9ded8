#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class QLocale;

// The interface-language lookup. Every user-visible text is written in Simplified
// Chinese, and that text is its own key; English and Traditional-Chinese renderings
// come from the translation tables in translations/ (compiled in as resources).
//
// Language preference: "system", "zh-Hans", "zh-Hant" or "en"; any other text
// behaves as "system". All functions may be called from any thread.

// The rendering of key for the language preference. With an explicit language the key
// itself is the fallback when that table lacks it (never another language's text).
QString velloraLocalized(const QString &key, const QString &language);

// The "language" value of the user defaults ("system" when absent), read afresh on
// every call so a change shows in the next text built.
QString velloraStoredLanguage();

// velloraLocalized() with the stored language.
QString velloraLocalizedStored(const QString &key);

// Looks key up (with the stored language, or the given one) and fills its placeholders
// in order: "%@" takes a value as text, "%d" as an integer; "%1$@" picks a value by
// position, "%%" is a percent sign. Numbers are written in the current locale.
// A "%d" count also picks the plural form where the language has one.
QString velloraLocalizedFormatValues(const QString &key, const QVariantList &values);
QString velloraLocalizedFormatValuesIn(const QString &language, const QString &key, const QVariantList &values);

template <typename... Values> QString velloraLocalizedFormat(const QString &key, const Values &...values) {
    return velloraLocalizedFormatValues(key, QVariantList{QVariant::fromValue(values)...});
}

template <typename... Values>
QString velloraLocalizedFormatIn(const QString &language, const QString &key, const Values &...values) {
    return velloraLocalizedFormatValuesIn(language, key, QVariantList{QVariant::fromValue(values)...});
}

// An error description in the interface language. Descriptions are keys, but
// one of the AI client's comes with its HTTP status already filled in; that one
// is matched back to its key "…（HTTP %d）。" before the lookup.
QString velloraLocalizedDescription(const QString &description, const QString &language);

// Marks a key that is stored now and translated when shown (status lines, errors kept
// as keys), so the catalogue check finds it: `m_status = VELLORA_L10N_KEY("就绪");`.
#define VELLORA_L10N_KEY(text) QStringLiteral(text)

namespace VelloraLocalization {

// The table a preference uses: "en", "zh-Hant" or "zh-Hans". "system" (and any unknown
// preference) takes the first of preferredLanguages (BCP 47 tags, e.g. from
// QLocale::uiLanguages()) that the application speaks: zh-Hant/zh-TW/zh-HK/zh-MO are
// Traditional, other zh tags Simplified, en tags English; with none of these, English.
QString resolvedLanguage(const QString &language, const QStringList &preferredLanguages);

// velloraLocalized() with the preferred languages handed in instead of the system's.
QString localized(const QString &key, const QString &language, const QStringList &preferredLanguages);

// Fills a format as velloraLocalizedFormat() does, with the given locale for numbers.
QString fillFormat(const QString &format, const QVariantList &values, const QLocale &locale);

// The interface languages that have a table, in the order above.
QStringList availableLanguages();

// The base name of Qt's own translation for a table this application has
// ("qtbase_zh_CN" for "zh-Hans", "qtbase_zh_TW" for "zh-Hant"); empty for
// English, which is Qt's own language.
QString qtTranslationName(const QString &table);

// Puts Qt's own texts (a text field's context menu, network errors, standard
// buttons) into the interface language of this preference, replacing the
// translation installed before; English removes it. False when Qt's file for
// the language cannot be loaded (Qt then speaks English). GUI thread only.
bool installQtTranslations(const QString &language, const QStringList &preferredLanguages);

} // namespace VelloraLocalization

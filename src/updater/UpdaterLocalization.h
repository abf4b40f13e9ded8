#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The updater speaks three languages of its own, chosen apart from the
// application's interface language. Its texts are written in Simplified
// Chinese and used as keys into two built-in tables (English and Traditional
// Chinese, 31 keys each); it never uses the application's translation files.
enum class UpdaterLanguage { english, simplifiedChinese, traditionalChinese };

namespace UpdaterLocalization {

// The language for a list of language codes: the first code that is English
// or Chinese decides (Chinese is Traditional for Hant, TW, HK and MO); no such
// code, or no codes, gives English. Codes are compared lower-cased, "_" as "-".
UpdaterLanguage resolve(const QStringList &codes);

// The language of the running application's bundle: its CFBundleLocalizations
// matched against the user's languages. English without a bundle, or when the
// bundle lists no localisations.
UpdaterLanguage current();
// current() for a bundle's localisations and the user's languages, best first.
UpdaterLanguage current(const std::optional<QStringList> &bundleLocalizations, const QStringList &userLanguages);

// resolve() of the list when one is given, otherwise current().
UpdaterLanguage language(const std::optional<QStringList> &preferredLanguages);

// "en", "zh-Hans" or "zh-Hant": what release notes and the changelog use.
QString localeKey(UpdaterLanguage language);

// The key in that language; a key that the tables lack comes back unchanged.
QString translate(const QString &key, UpdaterLanguage language);

// The Simplified-Chinese keys of the tables, in their order.
QStringList keys();

// Fills each "%@" in turn with the next value.
QString fill(const QString &format, const QStringList &values);

} // namespace UpdaterLocalization

// An updater text in the language of preferredLanguages (or of the bundle).
QString updaterCopy(const QString &key, const std::optional<QStringList> &preferredLanguages = std::nullopt);
// updaterCopy() with its "%@" placeholders filled.
QString updaterCopyFormat(const QString &key, const std::optional<QStringList> &preferredLanguages,
                          const QStringList &values);

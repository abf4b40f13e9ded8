#pragma once

#include "Result.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The document the product site publishes for its newest release
// ("/downloads/update.json"), and the choice of its release notes by language.
struct NativeUpdateManifest {
    qint64 schemaVersion = 0;
    QString product;
    // The version shown to the user; never parsed.
    QString version;
    // The only value that decides whether the release is newer.
    qint64 build = 0;
    // The archive's address as written in the manifest, and parsed.
    QString downloadURLText;
    QUrl downloadURL;
    // The archive's SHA-256 as 64 hexadecimal digits, either case.
    QString sha256;
    // Markdown.
    std::optional<QString> releaseNotes;
    // Markdown by language code; "en", "zh-Hans" and "zh-Hant" are looked up.
    std::optional<QMap<QString, QString>> releaseNotesByLocale;

    // Reads the JSON document. Key names are exact; unknown keys are ignored; a
    // missing required key, a value of the wrong type or a download address that
    // is not a URL fails the whole document (domain "NativeUpdateManifest").
    static Result<NativeUpdateManifest> decode(const QByteArray &json);

    // The notes to show: the entry for the updater's language when it is not
    // blank, else the "en" entry when that is not blank, else releaseNotes.
    std::optional<QString> localizedReleaseNotes(const std::optional<QStringList> &preferredLanguages) const;
};

#include "NativeUpdateManifest.h"

#include "UpdaterLocalization.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace {

// The decoder's failures, worded as a JSON decoder words them.
Error corrupt() {
    return Error{QStringLiteral("NativeUpdateManifest"), 1,
                 QStringLiteral("The data couldn't be read because it isn't in the correct format.")};
}

Error missing() {
    return Error{QStringLiteral("NativeUpdateManifest"), 2,
                 QStringLiteral("The data couldn't be read because it is missing.")};
}

// A JSON number that is a whole 64-bit integer.
std::optional<qint64> integer(const QJsonValue &value) {
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < -9.2e18 || number > 9.2e18)
        return std::nullopt;
    return value.toInteger();
}

// Reads a required key into `into`: absent and null are "missing", another type "corrupt".
template <typename T, typename Read>
std::optional<Error> take(const QJsonObject &object, const char *key, Read read, T &into) {
    const QJsonValue value = object.value(QLatin1StringView(key));
    if (value.isUndefined() || value.isNull())
        return missing();
    std::optional<T> result = read(value);
    if (!result)
        return corrupt();
    into = *result;
    return std::nullopt;
}

std::optional<QString> text(const QJsonValue &value) {
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

bool isBlank(const QString &text) {
    return text.trimmed().isEmpty();
}

} // namespace

Result<NativeUpdateManifest> NativeUpdateManifest::decode(const QByteArray &json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return corrupt();
    const QJsonObject object = document.object();

    NativeUpdateManifest manifest;
    for (const std::optional<Error> &failure :
         {take(object, "schemaVersion", integer, manifest.schemaVersion), take(object, "product", text, manifest.product),
          take(object, "version", text, manifest.version), take(object, "build", integer, manifest.build),
          take(object, "downloadURL", text, manifest.downloadURLText), take(object, "sha256", text, manifest.sha256)}) {
        if (failure)
            return *failure;
    }
    manifest.downloadURL = QUrl(manifest.downloadURLText, QUrl::StrictMode);
    if (manifest.downloadURLText.isEmpty() || !manifest.downloadURL.isValid())
        return corrupt();

    const QJsonValue notes = object.value(QLatin1StringView("releaseNotes"));
    if (!notes.isUndefined() && !notes.isNull()) {
        if (!notes.isString())
            return corrupt();
        manifest.releaseNotes = notes.toString();
    }
    const QJsonValue byLocale = object.value(QLatin1StringView("releaseNotesByLocale"));
    if (!byLocale.isUndefined() && !byLocale.isNull()) {
        if (!byLocale.isObject())
            return corrupt();
        QMap<QString, QString> entries;
        const QJsonObject map = byLocale.toObject();
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (!it.value().isString())
                return corrupt();
            entries.insert(it.key(), it.value().toString());
        }
        manifest.releaseNotesByLocale = entries;
    }
    return manifest;
}

std::optional<QString>
NativeUpdateManifest::localizedReleaseNotes(const std::optional<QStringList> &preferredLanguages) const {
    if (releaseNotesByLocale) {
        const QString key = UpdaterLocalization::localeKey(UpdaterLocalization::language(preferredLanguages));
        for (const QString &candidate : {key, QStringLiteral("en")}) {
            const auto found = releaseNotesByLocale->constFind(candidate);
            if (found != releaseNotesByLocale->cend() && !isBlank(*found))
                return *found;
        }
    }
    return releaseNotes;
}

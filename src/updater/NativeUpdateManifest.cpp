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

// A required key: absent and null are "missing"; another type is "corrupt".
template <typename T, typename Read> Result<T> required(const QJsonObject &object, const char *key, Read read) {
    const QJsonValue value = object.value(QLatin1StringView(key));
    if (value.isUndefined() || value.isNull())
        return missing();
    std::optional<T> result = read(value);
    if (!result)
        return corrupt();
    return *result;
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
    const Result<qint64> schemaVersion = required<qint64>(object, "schemaVersion", integer);
    if (!schemaVersion)
        return schemaVersion.error();
    manifest.schemaVersion = schemaVersion.value();
    const Result<QString> product = required<QString>(object, "product", text);
    if (!product)
        return product.error();
    manifest.product = product.value();
    const Result<QString> version = required<QString>(object, "version", text);
    if (!version)
        return version.error();
    manifest.version = version.value();
    const Result<qint64> build = required<qint64>(object, "build", integer);
    if (!build)
        return build.error();
    manifest.build = build.value();
    const Result<QString> address = required<QString>(object, "downloadURL", text);
    if (!address)
        return address.error();
    const QUrl url(address.value(), QUrl::StrictMode);
    if (address.value().isEmpty() || !url.isValid())
        return corrupt();
    manifest.downloadURLText = address.value();
    manifest.downloadURL = url;
    const Result<QString> sha256 = required<QString>(object, "sha256", text);
    if (!sha256)
        return sha256.error();
    manifest.sha256 = sha256.value();

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

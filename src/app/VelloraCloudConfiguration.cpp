// config.json: the synced settings record and its exact bytes.
#include "VelloraCloudSettings.h"

#include "VelloraLocalization.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <exception>
#include <string>

namespace {

using Json = nlohmann::ordered_json;

// Every failure to decode is one error for the user: the file is not a settings
// file this version understands. The version check keeps the Cocoa code that a
// Mac reports for it.
constexpr qint64 CorruptFileCode = 259;

Error formatError(qint64 code = CorruptFileCode) {
    return Error{code == CorruptFileCode ? QStringLiteral("NSCocoaErrorDomain")
                                         : QStringLiteral("VelloraCloudSettings.Decoding"),
                 code, VELLORA_L10N_KEY("配置文件的格式不正确。")};
}

std::optional<QString> text(const Json &object, const char *key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return QString::fromStdString(found->get<std::string>());
}

// An integer value, also when written with a zero fraction (1.0), as the macOS decoder accepts.
std::optional<qint64> integer(const Json &value) {
    if (value.is_number_integer() && !value.is_number_unsigned())
        return value.get<qint64>();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        return number <= std::uint64_t(std::numeric_limits<qint64>::max()) ? std::optional<qint64>(qint64(number))
                                                                           : std::nullopt;
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::floor(number) == number && std::abs(number) < 9.0e15)
            return qint64(number);
    }
    return std::nullopt;
}

std::optional<quint32> unsigned32(const Json &object, const char *key) {
    const auto found = object.find(key);
    if (found == object.end())
        return std::nullopt;
    const std::optional<qint64> number = integer(*found);
    if (!number || *number < 0 || *number > 4294967295)
        return std::nullopt;
    return quint32(*number);
}

std::string utf8(const QString &value) {
    return value.toStdString();
}

} // namespace

Result<QByteArray> VelloraCloudSettings::Configuration::encoded() const {
    Json object = Json::object();
    object["version"] = version;
    object["aiBaseURL"] = utf8(aiBaseURL);
    object["aiModel"] = utf8(aiModel);
    object["polishPrompt"] = utf8(polishPrompt);
    object["hideMenuBarIcon"] = hideMenuBarIcon;
    object["hideDockIcon"] = hideDockIcon.value_or(!hideMenuBarIcon);
    Json key = Json::object();
    key["keyCode"] = shortcut.keyCode;
    key["modifiers"] = shortcut.modifiers;
    key["label"] = utf8(shortcut.label);
    object["shortcut"] = std::move(key);
    object["colorMode"] = utf8(colorMode);
    object["language"] = utf8(language);
    object["accentPalette"] = utf8(accentPalette);
    std::string written;
    try {
        written = object.dump();
    } catch (const std::exception &error) {
        return Error{QStringLiteral("VelloraCloudSettings.Encoding"), 1, QString::fromUtf8(error.what())};
    }
    // The writer escapes quotes, backslashes and control characters as the
    // macOS encoder does (\b \f \n \r \t, else \u00xx in lower case); that
    // encoder also writes "/" as "\/". Outside strings JSON has no "/".
    QByteArray bytes = QByteArray::fromStdString(written);
    bytes.replace('/', "\\/");
    return bytes;
}

Result<VelloraCloudSettings::Configuration> VelloraCloudSettings::Configuration::decode(const QByteArray &bytes) {
    Json document;
    try {
        document = Json::parse(bytes.constBegin(), bytes.constEnd());
    } catch (const std::exception &) {
        return formatError(1);
    }
    if (!document.is_object())
        return formatError(2);
    Configuration result;
    const auto version = document.find("version");
    const std::optional<qint64> versionNumber = version != document.end() ? integer(*version) : std::nullopt;
    const auto aiBaseURL = text(document, "aiBaseURL");
    const auto aiModel = text(document, "aiModel");
    const auto polishPrompt = text(document, "polishPrompt");
    const auto hideMenuBarIcon = document.find("hideMenuBarIcon");
    const auto hideDockIcon = document.find("hideDockIcon");
    const auto shortcut = document.find("shortcut");
    const auto colorMode = text(document, "colorMode");
    const auto language = text(document, "language");
    const auto accentPalette = text(document, "accentPalette");
    if (!versionNumber || !aiBaseURL || !aiModel || !polishPrompt || hideMenuBarIcon == document.end() ||
        !hideMenuBarIcon->is_boolean() || shortcut == document.end() || !shortcut->is_object() || !colorMode ||
        !language || !accentPalette)
        return formatError(3);
    if (hideDockIcon != document.end() && !hideDockIcon->is_null() && !hideDockIcon->is_boolean())
        return formatError(4);
    const auto keyCode = unsigned32(*shortcut, "keyCode");
    const auto modifiers = unsigned32(*shortcut, "modifiers");
    const auto label = text(*shortcut, "label");
    if (!keyCode || !modifiers || !label)
        return formatError(5);
    // Only version 1 is read; value_or spares GCC a false maybe-uninitialized warning.
    if (versionNumber.value_or(0) != 1)
        return formatError();

    result.version = 1;
    result.aiBaseURL = *aiBaseURL;
    result.aiModel = *aiModel;
    result.polishPrompt = *polishPrompt;
    result.hideMenuBarIcon = hideMenuBarIcon->get<bool>();
    result.hideDockIcon = hideDockIcon != document.end() && hideDockIcon->is_boolean() ? hideDockIcon->get<bool>()
                                                                                       : !result.hideMenuBarIcon;
    result.shortcut = CapturedShortcut{*keyCode, *modifiers, *label};
    result.colorMode = *colorMode;
    result.language = *language;
    result.accentPalette = *accentPalette;
    return result;
}

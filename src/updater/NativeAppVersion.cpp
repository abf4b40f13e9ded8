#include "NativeAppVersion.h"

#include "AppBundle.h"
#include "UpdaterLocalization.h"

namespace NativeAppVersion {

QString displayText(const std::optional<AppBundle> &bundle, const std::optional<QStringList> &preferredLanguages) {
    const auto value = [&bundle](const char *key) {
        const std::optional<QString> text = bundle ? bundle->string(QLatin1StringView(key)) : std::nullopt;
        return text.value_or(QStringLiteral("\u2014"));
    };
    return updaterCopyFormat(QStringLiteral("版本 %@（%@）"), preferredLanguages,
                             {value("CFBundleShortVersionString"), value("CFBundleVersion")});
}

} // namespace NativeAppVersion

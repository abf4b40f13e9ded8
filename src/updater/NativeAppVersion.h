#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class AppBundle;

// The version label of the settings window: "Version 1.2 (42)".
namespace NativeAppVersion {

// "版本 %@（%@）" in the updater's language, filled with the bundle's
// CFBundleShortVersionString and CFBundleVersion; an em dash stands for a
// value that is missing or not a string (and for both without a bundle).
QString displayText(const std::optional<AppBundle> &bundle,
                    const std::optional<QStringList> &preferredLanguages = std::nullopt);

} // namespace NativeAppVersion

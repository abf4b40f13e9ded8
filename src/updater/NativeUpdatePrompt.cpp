#include "NativeUpdatePrompt.h"

#include "UpdaterLocalization.h"

namespace {

NativeUpdatePrompt question(const NativeUpdateManifest &manifest, const QString &appName,
                            const std::optional<QStringList> &languages, const char16_t *title,
                            const char16_t *detail, const char16_t *primary) {
    return NativeUpdatePrompt{
        updaterCopyFormat(QString::fromUtf16(title), languages, {appName, manifest.version}),
        updaterCopy(QString::fromUtf16(detail), languages),
        manifest.localizedReleaseNotes(languages),
        updaterCopy(QString::fromUtf16(primary), languages),
        updaterCopy(QStringLiteral("稍后"), languages),
    };
}

} // namespace

NativeUpdatePrompt NativeUpdatePrompt::available(const NativeUpdateManifest &manifest, const QString &appName,
                                                 const std::optional<QStringList> &preferredLanguages) {
    return question(manifest, appName, preferredLanguages, u"%@ %@ 可更新",
                    u"可以现在下载。下载并校验完成后，应用会询问是否重启完成更新。", u"下载更新");
}

NativeUpdatePrompt NativeUpdatePrompt::ready(const NativeUpdateManifest &manifest, const QString &appName,
                                             const std::optional<QStringList> &preferredLanguages) {
    return question(manifest, appName, preferredLanguages, u"%@ %@ 已准备好", u"重启应用即可完成更新。",
                    u"重启并更新");
}

NativeUpdatePrompt NativeUpdatePrompt::message(const QString &text,
                                               const std::optional<QStringList> &preferredLanguages) {
    return NativeUpdatePrompt{text, QString(), std::nullopt, updaterCopy(QStringLiteral("好"), preferredLanguages),
                              std::nullopt};
}

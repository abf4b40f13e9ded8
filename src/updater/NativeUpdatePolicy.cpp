#include "NativeUpdatePolicy.h"

#include "AppBundle.h"
#include "UpdaterLocalization.h"

#include <limits>

namespace NativeUpdatePolicy {

QString failureKey(Failure failure) {
    switch (failure) {
    case Failure::invalidSchema:
        return QStringLiteral("更新清单版本不受支持。");
    case Failure::wrongProduct:
        return QStringLiteral("更新包不属于当前应用。");
    case Failure::invalidVersion:
        return QStringLiteral("更新版本信息无效。");
    case Failure::invalidDownloadURL:
        return QStringLiteral("更新下载地址无效。");
    case Failure::invalidChecksum:
        return QStringLiteral("更新包校验值无效。");
    }
    return {};
}

Error error(Failure failure) {
    return Error{FailureDomain, static_cast<qint64>(failure), updaterCopy(failureKey(failure))};
}

Result<void> validate(const NativeUpdateManifest &manifest, const NativeUpdateConfiguration &configuration) {
    if (manifest.schemaVersion != 1)
        return error(Failure::invalidSchema);
    if (manifest.product != configuration.product)
        return error(Failure::wrongProduct);
    if (manifest.version.isEmpty() || manifest.build < 1)
        return error(Failure::invalidVersion);
    // The scheme as written: "HTTPS:" is not accepted, though URL parsers lower-case it.
    const QString host = manifest.downloadURL.host().toLower();
    if (!manifest.downloadURLText.startsWith(QLatin1String("https:")) || manifest.downloadURL.scheme() != u"https"
        || host.isEmpty() || !configuration.allowedDownloadHosts.contains(host))
        return error(Failure::invalidDownloadURL);
    const QString digest = manifest.sha256.toLower();
    if (digest.size() != 64)
        return error(Failure::invalidChecksum);
    for (const QChar c : digest) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return error(Failure::invalidChecksum);
    }
    return {};
}

bool isNewer(const NativeUpdateManifest &manifest, qint64 thanBuild) {
    return manifest.build > thanBuild;
}

std::optional<qint64> parseInteger(QStringView text, int bits) {
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    const quint64 limit = (quint64(1) << (bits - 1)) - (negative ? 0 : 1);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c.unicode() - u'0';
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative)
        return value == (quint64(1) << 63) ? std::numeric_limits<qint64>::min() : -static_cast<qint64>(value);
    return static_cast<qint64>(value);
}

qint64 runningBuild(const std::optional<AppBundle> &bundle) {
    if (!bundle)
        return 0;
    const std::optional<QString> version = bundle->string(QLatin1StringView("CFBundleVersion"));
    if (!version)
        return 0;
    return parseInteger(*version).value_or(0);
}

} // namespace NativeUpdatePolicy

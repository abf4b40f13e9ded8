#include "UpdaterLocalization.h"

#include "AppBundle.h"

#include <QHash>
#include <QLocale>

namespace UpdaterLocalization {
namespace {

struct Entry {
    const char16_t *key;
    const char16_t *english;
    const char16_t *traditionalChinese;
};

// The updater's texts: the controller and its prompts (1, 3-24), the version
// label (2), the installer's failures (25, 26) and the manifest checks (27-31).
constexpr Entry Table[] = {
    {u"正在准备重启…", u"Preparing to restart…", u"正在準備重新啟動…"},
    {u"版本 %@（%@）", u"Version %@ (%@)", u"版本 %@（%@）"},
    {u"开发版不自动更新", u"Development builds do not update automatically", u"開發版不會自動更新"},
    {u"自动提示新版已开启", u"Automatic update checks are on", u"已開啟自動提示新版本"},
    {u"自动提示新版已关闭", u"Automatic update checks are off", u"已關閉自動提示新版本"},
    {u"正在检查更新…", u"Checking for updates…", u"正在檢查更新…"},
    {u"已经是最新版本", u"You're up to date", u"目前已是最新版本"},
    {u"发现新版本 %@", u"Version %@ is available", u"發現新版本 %@"},
    {u"正在下载 %@…", u"Downloading %@…", u"正在下載 %@…"},
    {u"%@ 已下载，等待重启", u"%@ downloaded; restart to install", u"%@ 已下載，等待重新啟動"},
    {u"下载更新", u"Download Update", u"下載更新"},
    {u"重启并更新", u"Restart and Update", u"重新啟動並更新"},
    {u"检查更新", u"Check for Updates", u"檢查更新"},
    {u"开发版不检查正式更新。", u"Development builds do not check for production updates.", u"開發版不檢查正式更新。"},
    {u"%@ 已经是最新版本。", u"%@ is up to date.", u"%@ 已是最新版本。"},
    {u"检查更新失败：%@", u"Update check failed: %@", u"檢查更新失敗：%@"},
    {u"%@ %@ 可更新", u"%@ %@ is available", u"%@ %@ 可更新"},
    {u"可以现在下载。下载并校验完成后，应用会询问是否重启完成更新。",
     u"You can download it now. After verification, the app will ask to restart and finish the update.",
     u"可以立即下載。完成下載與驗證後，App 會詢問是否重新啟動以完成更新。"},
    {u"稍后", u"Later", u"稍後"},
    {u"下载更新失败：%@", u"Update download failed: %@", u"下載更新失敗：%@"},
    {u"%@ %@ 已准备好", u"%@ %@ is ready", u"%@ %@ 已準備好"},
    {u"重启应用即可完成更新。", u"Restart the app to finish updating.", u"重新啟動 App 即可完成更新。"},
    {u"无法启动更新：%@", u"Unable to start the update: %@", u"無法啟動更新：%@"},
    {u"好", u"OK", u"好"},
    {u"更新包已损坏，请重新下载。", u"The update archive is damaged. Download it again.", u"更新套件已損毀，請重新下載。"},
    {u"更新包未通过开发者签名或公证校验。", u"The update failed developer signature or notarization verification.",
     u"更新套件未通過開發者簽章或公證驗證。"},
    {u"更新清单版本不受支持。", u"This update manifest version is not supported.", u"不支援此更新清單版本。"},
    {u"更新包不属于当前应用。", u"This update does not belong to the current app.", u"更新套件不屬於目前的 App。"},
    {u"更新版本信息无效。", u"The update version is invalid.", u"更新版本資訊無效。"},
    {u"更新下载地址无效。", u"The update download address is invalid.", u"更新下載位址無效。"},
    {u"更新包校验值无效。", u"The update checksum is invalid.", u"更新套件檢查碼無效。"},
};

struct Tables {
    QHash<QString, QString> english;
    QHash<QString, QString> traditionalChinese;
};

// Built once, on first use (a function-local static is initialised thread-safely).
const Tables &tables() {
    static const Tables built = [] {
        Tables result;
        for (const Entry &entry : Table) {
            const QString key = QString::fromUtf16(entry.key);
            result.english.insert(key, QString::fromUtf16(entry.english));
            result.traditionalChinese.insert(key, QString::fromUtf16(entry.traditionalChinese));
        }
        return result;
    }();
    return built;
}

QString normalized(const QString &code) {
    QString result = code.toLower();
    result.replace(u'_', u'-');
    return result;
}

bool isFamily(const QString &normalizedCode, QLatin1StringView family) {
    return normalizedCode == family || normalizedCode.startsWith(family + u'-');
}

// Whether a user's language asks for a bundle localisation: the same code, a
// regional form of it (en-GB for en), or the same Chinese script (zh-CN for zh-Hans).
bool matches(const QString &userLanguage, const QString &localization) {
    const QString user = normalized(userLanguage);
    const QString offered = normalized(localization);
    if (user == offered || user.startsWith(offered + u'-'))
        return true;
    return isFamily(user, QLatin1StringView("zh")) && isFamily(offered, QLatin1StringView("zh"))
           && resolve({user}) == resolve({offered});
}

} // namespace

UpdaterLanguage resolve(const QStringList &codes) {
    for (const QString &code : codes) {
        const QString value = normalized(code);
        if (isFamily(value, QLatin1StringView("en")))
            return UpdaterLanguage::english;
        if (isFamily(value, QLatin1StringView("zh"))) {
            for (const char *marker : {"hant", "-tw", "-hk", "-mo"}) {
                if (value.contains(QLatin1StringView(marker)))
                    return UpdaterLanguage::traditionalChinese;
            }
            return UpdaterLanguage::simplifiedChinese;
        }
    }
    return UpdaterLanguage::english;
}

UpdaterLanguage current(const std::optional<QStringList> &bundleLocalizations, const QStringList &userLanguages) {
    if (!bundleLocalizations || bundleLocalizations->isEmpty())
        return UpdaterLanguage::english;
    // The bundle's preferred localisation: the first of the user's languages it
    // offers, else its first (development) localisation.
    for (const QString &user : userLanguages) {
        for (const QString &offered : *bundleLocalizations) {
            if (matches(user, offered))
                return resolve({offered});
        }
    }
    return resolve({bundleLocalizations->constFirst()});
}

UpdaterLanguage current() {
    const std::optional<AppBundle> &bundle = AppBundle::main();
    return current(bundle ? bundle->localizations() : std::nullopt, QLocale::system().uiLanguages());
}

UpdaterLanguage language(const std::optional<QStringList> &preferredLanguages) {
    return preferredLanguages ? resolve(*preferredLanguages) : current();
}

QString localeKey(UpdaterLanguage language) {
    switch (language) {
    case UpdaterLanguage::english:
        return QStringLiteral("en");
    case UpdaterLanguage::simplifiedChinese:
        return QStringLiteral("zh-Hans");
    case UpdaterLanguage::traditionalChinese:
        return QStringLiteral("zh-Hant");
    }
    return QStringLiteral("en");
}

QString translate(const QString &key, UpdaterLanguage language) {
    switch (language) {
    case UpdaterLanguage::simplifiedChinese:
        return key;
    case UpdaterLanguage::english:
        return tables().english.value(key, key);
    case UpdaterLanguage::traditionalChinese:
        return tables().traditionalChinese.value(key, key);
    }
    return key;
}

QStringList keys() {
    QStringList result;
    for (const Entry &entry : Table)
        result.append(QString::fromUtf16(entry.key));
    return result;
}

QString fill(const QString &format, const QStringList &values) {
    QString result;
    result.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == u'%' && i + 1 < format.size() && format.at(i + 1) == u'@') {
            result += values.value(next++);
            ++i;
        } else {
            result += format.at(i);
        }
    }
    return result;
}

} // namespace UpdaterLocalization

QString updaterCopy(const QString &key, const std::optional<QStringList> &preferredLanguages) {
    return UpdaterLocalization::translate(key, UpdaterLocalization::language(preferredLanguages));
}

QString updaterCopyFormat(const QString &key, const std::optional<QStringList> &preferredLanguages,
                          const QStringList &values) {
    return UpdaterLocalization::fill(updaterCopy(key, preferredLanguages), values);
}

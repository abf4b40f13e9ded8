#include "NativeUpdateConfiguration.h"

NativeUpdateConfiguration::NativeUpdateConfiguration(QString product_, QString appName_, QString bundleIdentifier_,
                                                     QString teamIdentifier_, QUrl manifestURL_,
                                                     QSet<QString> allowedDownloadHosts_, bool isEnabled_,
                                                     QList<QByteArray> teamPublicKeys_)
    : product(std::move(product_))
    , appName(std::move(appName_))
    , bundleIdentifier(std::move(bundleIdentifier_))
    , teamIdentifier(std::move(teamIdentifier_))
    , manifestURL(std::move(manifestURL_))
    , allowedDownloadHosts(std::move(allowedDownloadHosts_))
    , isEnabled(isEnabled_)
    , teamPublicKeys(std::move(teamPublicKeys_)) {}

QUrl NativeUpdateConfiguration::changelogURL(const QString &language) const {
    QString code = language.toLower();
    code.replace(u'_', u'-');
    QString prefix;
    if (code.startsWith(QLatin1String("zh-hant")) || code.startsWith(QLatin1String("zh-tw"))
        || code.startsWith(QLatin1String("zh-hk")) || code.startsWith(QLatin1String("zh-mo")))
        prefix = QStringLiteral("zh-tw/");
    else if (code.startsWith(QLatin1String("zh")))
        prefix = QStringLiteral("zh/");

    // Two components up from ".../downloads/update.json" is the site's root.
    QStringList components = manifestURL.path().split(u'/', Qt::SkipEmptyParts);
    for (int i = 0; i < 2 && !components.isEmpty(); ++i)
        components.removeLast();
    QUrl result = manifestURL;
    result.setQuery(QString());
    result.setFragment(QString());
    result.setPath(u'/' + (components.isEmpty() ? QString() : components.join(u'/') + u'/') + prefix
                   + QStringLiteral("changelog/"));
    return result;
}

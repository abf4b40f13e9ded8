#include "UpdateConfiguration.h"

#include "AppBundle.h"

namespace UpdateConfiguration {
namespace {

constexpr char BundleIdentifier[] = "quorvel.vellora";

QList<QByteArray> teamPublicKeys() {
    QList<QByteArray> keys{QByteArray::fromHex(VELLORA_UPDATE_PUBLIC_KEY)};
#ifdef VELLORA_UPDATE_TEST_PUBLIC_KEY
    // A test build also trusts the throw-away key made in its build folder.
    keys.append(QByteArray::fromHex(VELLORA_UPDATE_TEST_PUBLIC_KEY));
#endif
    return keys;
}

} // namespace

QUrl productSite() {
    QUrl site(QStringLiteral(VELLORA_PRODUCT_SITE));
    if (!site.path().endsWith(u'/'))
        site.setPath(site.path() + u'/');
    return site;
}

NativeUpdateConfiguration vellora() {
    const std::optional<AppBundle> &bundle = AppBundle::main();
    const bool enabled = bundle && bundle->identifier() == QLatin1StringView(BundleIdentifier);
    return NativeUpdateConfiguration(QStringLiteral("vellora"), QStringLiteral("Vellora"),
                                     QString::fromLatin1(BundleIdentifier), QStringLiteral("K7Q2W9X4ZP"),
                                     productSite().resolved(QUrl(QStringLiteral("downloads/update.json"))),
                                     {productSite().host().toLower(), QStringLiteral(VELLORA_PRODUCT_MIRROR_HOST).toLower()},
                                     enabled, teamPublicKeys());
}

} // namespace UpdateConfiguration

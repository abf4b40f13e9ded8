#pragma once

#include "NativeUpdateConfiguration.h"

#include <QUrl>

// The application's own update configuration. The product site, its mirror and
// the team's signing key are build settings (VELLORA_PRODUCT_SITE,
// VELLORA_PRODUCT_MIRROR_HOST, VELLORA_UPDATE_PUBLIC_KEY); a test build may add
// its throw-away key (VELLORA_UPDATE_TEST_KEY). Nothing at run time changes them.
namespace UpdateConfiguration {

// Built afresh on each call: updating is enabled exactly when this process
// runs from a bundle whose identifier is "quorvel.vellora".
NativeUpdateConfiguration vellora();

// The product web site's root, "https://…/".
QUrl productSite();

} // namespace UpdateConfiguration

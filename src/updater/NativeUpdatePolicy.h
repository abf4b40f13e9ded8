#pragma once

#include "NativeUpdateConfiguration.h"
#include "NativeUpdateManifest.h"
#include "Result.h"

#include <QStringView>

#include <optional>

class AppBundle;

// The checks a manifest must pass before anything is downloaded, and the rule
// that says whether its release is newer than the running one.
namespace NativeUpdatePolicy {

inline constexpr QLatin1StringView FailureDomain{"NativeUpdatePolicy.Failure"};

enum class Failure { invalidSchema, wrongProduct, invalidVersion, invalidDownloadURL, invalidChecksum };

// The failure's key among the updater's texts.
QString failureKey(Failure failure);
// The failure as an error (code: the case's position) described in the
// bundle's language.
Error error(Failure failure);

// In this order: schema 1; the configuration's product; a version text and a
// build of at least 1; an https address (the scheme as written) whose host,
// lower-cased, is allowed; 64 hexadecimal digits. The first that fails decides.
Result<void> validate(const NativeUpdateManifest &manifest, const NativeUpdateConfiguration &configuration);

// Whether the manifest's build is greater than thanBuild.
bool isNewer(const NativeUpdateManifest &manifest, qint64 thanBuild);

// A decimal integer with an optional leading "+" or "-" and nothing else, that
// fits in `bits` bits (signed).
std::optional<qint64> parseInteger(QStringView text, int bits = 64);

// The running build: the bundle's CFBundleVersion as a decimal integer; 0 when
// there is no bundle or the key is missing, not a string or not a number.
qint64 runningBuild(const std::optional<AppBundle> &bundle);

} // namespace NativeUpdatePolicy

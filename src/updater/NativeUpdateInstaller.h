#pragma once

#include "BundleArchive.h"
#include "NativeUpdateConfiguration.h"
#include "NativeUpdateManifest.h"
#include "Result.h"

#include <QByteArray>
#include <QString>

// Turns a downloaded archive into a verified application staged in a work
// folder of its own, and later starts the installation helper from it.
namespace NativeUpdateInstaller {

inline constexpr QLatin1StringView FailureDomain{"NativeUpdateInstaller.Failure"};

enum class Failure { invalidArchive, invalidApplication };

// The failure's key among the updater's texts.
QString failureKey(Failure failure);
// The failure as an error (code: the case's position) described in the
// bundle's language.
Error error(Failure failure);

// Checks the archive's SHA-256 against the manifest (invalidArchive, before
// anything is written), writes it as update.zip into a new private work folder
// "<product>-update-<UUID>" in the temporary folder, unpacks it there, and
// checks the bundle <appName>.app: the configuration's identifier, the
// manifest's version and build, an executable, a signature by the team, and an
// executable for this machine that answers the probe (each invalidApplication).
// Returns the bundle's path. File-system failures keep the system's wording. A
// failure removes its work folder. Blocks; runs off the GUI thread.
Result<QString> prepare(const QByteArray &data, const NativeUpdateManifest &manifest,
                        const NativeUpdateConfiguration &configuration,
                        const BundleArchive::Limits &limits = {});

// Starts the staged bundle's executable as the installation helper for the
// bundle at `replacing` and this process, and returns at once; the helper
// outlives this process. invalidApplication when the staged bundle has no
// executable; the system's error when it cannot start.
Result<void> launchHelper(const QString &stagedApplication, const QString &replacing);

} // namespace NativeUpdateInstaller

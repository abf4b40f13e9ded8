#pragma once

#include "Result.h"

#include <QString>

// Zip archives of application bundles, through libarchive.
namespace BundleArchive {

// What one archive may unpack to. A bundle is a few dozen files and tens of
// megabytes; these bounds leave room for growth and stop archive bombs.
struct Limits {
    qint64 maximumEntries = 20000;
    qint64 maximumBytes = qint64(2) << 30;
};

// Unpacks the zip archive at archivePath into directory, which must exist.
// Refuses (and stops at) an absolute path, a ".." component, a name that comes
// twice, a hard link, a symbolic link that is absolute or leads outside the
// directory, a device file, FIFO or socket, and more entries or more bytes
// than the limits allow; a refusal leaves what was already written. Regular
// files get mode 0755 when the archive marks them executable by their owner,
// else 0644; folders 0755. Blocks; any thread.
Result<void> unpack(const QString &archivePath, const QString &directory, const Limits &limits = {});

// Writes the folder as a zip archive whose entries all lie under the folder's
// own name ("Vellora.app/…"), in byte order of their paths, with the modes
// unpack() restores. Blocks; any thread.
Result<void> pack(const QString &folder, const QString &archivePath);

} // namespace BundleArchive

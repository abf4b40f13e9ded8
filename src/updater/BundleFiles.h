#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

// The entries of a bundle folder as its archive and its signature see them.
namespace BundleFiles {

enum class Kind { file, folder, link };

struct Item {
    // Relative to the bundle, "/"-separated, in the file system's encoding.
    QByteArray path;
    Kind kind;
    // 0755 for folders and files their owner may run, 0644 for other files,
    // 0777 for links: the umask of whoever built or unpacked the bundle plays
    // no part.
    mode_t mode;
};

// Every entry below root (root itself left out), in byte order of the paths;
// fails on anything that is not a file, folder or link.
Result<QList<Item>> list(const QString &root);

// The mode an entry of this kind keeps, from its file-system mode.
mode_t canonicalMode(Kind kind, mode_t mode);

// A link's own target text, as written (not made absolute).
Result<QByteArray> linkText(const QString &path);

} // namespace BundleFiles

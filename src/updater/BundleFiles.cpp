#include "BundleFiles.h"

#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace BundleFiles {

mode_t canonicalMode(Kind kind, mode_t mode) {
    switch (kind) {
    case Kind::folder:
        return 0755;
    case Kind::link:
        return 0777;
    case Kind::file:
        return (mode & S_IXUSR) ? 0755 : 0644;
    }
    return 0644;
}

Result<QList<Item>> list(const QString &root) {
    QList<Item> items;
    QDirIterator walk(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            return Error{QStringLiteral("BundleFiles"), errno, QStringLiteral("cannot read ") + path};
        Kind kind;
        switch (status.st_mode & S_IFMT) {
        case S_IFREG:
            kind = Kind::file;
            break;
        case S_IFDIR:
            kind = Kind::folder;
            break;
        case S_IFLNK:
            kind = Kind::link;
            break;
        default:
            return Error{QStringLiteral("BundleFiles"), 1, QStringLiteral("not a file, folder or link: ") + path};
        }
        items.append(Item{QFile::encodeName(path.mid(root.size() + 1)), kind, canonicalMode(kind, status.st_mode)});
    }
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.path < b.path; });
    return items;
}

Result<QByteArray> linkText(const QString &path) {
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target.data(), target.size());
    if (length < 0 || length == target.size())
        return Error{QStringLiteral("BundleFiles"), errno, QStringLiteral("cannot read the link ") + path};
    target.truncate(length);
    return target;
}

} // namespace BundleFiles

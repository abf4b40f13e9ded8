#include "BundleArchive.h"

#include "BundleFiles.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <archive.h>
#include <archive_entry.h>

#include <sys/stat.h>

#include <memory>

namespace BundleArchive {
namespace {

struct ReaderDeleter {
    void operator()(archive *handle) const { archive_read_free(handle); }
};
struct WriterDeleter {
    void operator()(archive *handle) const { archive_write_free(handle); }
};
struct EntryDeleter {
    void operator()(archive_entry *entry) const { archive_entry_free(entry); }
};
using Reader = std::unique_ptr<archive, ReaderDeleter>;
using Writer = std::unique_ptr<archive, WriterDeleter>;
using Entry = std::unique_ptr<archive_entry, EntryDeleter>;

Error failure(const QString &description) {
    return Error{QStringLiteral("BundleArchive"), 1, description};
}

Error libarchiveFailure(archive *handle, const QString &what) {
    const char *message = archive_error_string(handle);
    return failure(what + QStringLiteral(": ")
                   + (message ? QString::fromLocal8Bit(message) : QStringLiteral("unknown error")));
}

Error refused(const QByteArray &name, const char *reason) {
    return failure(QStringLiteral("refused entry \"%1\": %2").arg(QString::fromUtf8(name), QLatin1String(reason)));
}

// The entry's path with "" and "." components dropped; nothing for an absolute
// path or one with "..".
std::optional<QByteArrayList> relativeComponents(const QByteArray &name) {
    if (name.startsWith('/'))
        return std::nullopt;
    QByteArrayList components;
    for (const QByteArray &component : name.split('/')) {
        if (component == "..")
            return std::nullopt;
        if (!component.isEmpty() && component != ".")
            components.append(component);
    }
    return components;
}

// Whether a link at `entry` with this target stays inside the root, read
// lexically: the target is relative and its ".." never climbs above the root.
bool staysInside(QByteArrayList entry, const QByteArray &target) {
    if (target.isEmpty() || target.startsWith('/'))
        return false;
    entry.removeLast();
    for (const QByteArray &component : target.split('/')) {
        if (component == "..") {
            if (entry.isEmpty())
                return false;
            entry.removeLast();
        } else if (!component.isEmpty() && component != ".") {
            entry.append(component);
        }
    }
    return true;
}

// Every link, now that all are written, resolves to something inside the root.
Result<void> checkLinks(const QString &root) {
    QDirIterator links(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (links.hasNext()) {
        const QFileInfo info(links.next());
        if (!info.isSymLink())
            continue;
        const QString resolved = info.canonicalFilePath();
        if (resolved.isEmpty() || !(resolved == root || resolved.startsWith(root + u'/')))
            return refused(QFile::encodeName(info.filePath().mid(root.size() + 1)),
                           "symbolic link leads outside the folder");
    }
    return {};
}

mode_t restoredMode(mode_t type, mode_t permissions) {
    const BundleFiles::Kind kind = type == AE_IFDIR   ? BundleFiles::Kind::folder
                                   : type == AE_IFLNK ? BundleFiles::Kind::link
                                                      : BundleFiles::Kind::file;
    return BundleFiles::canonicalMode(kind, permissions);
}

} // namespace

Result<void> unpack(const QString &archivePath, const QString &directory, const Limits &limits) {
    // Written below a path without links, so the link checks of the writer
    // never trip over the temporary folder's own path.
    const QString root = QFileInfo(directory).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return failure(QStringLiteral("no folder to unpack into: ") + directory);

    Reader reader(archive_read_new());
    Writer writer(archive_write_disk_new());
    if (!reader || !writer)
        return failure(QStringLiteral("out of memory"));
    // The central directory is the archive's table of contents: reading by it
    // refuses an archive that lost its end, instead of streaming what is left.
    archive_read_support_format_zip_seekable(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(archivePath).constData(), 64 * 1024) != ARCHIVE_OK)
        return libarchiveFailure(reader.get(), QStringLiteral("cannot open the archive"));
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_SECURE_SYMLINKS
                                                     | ARCHIVE_EXTRACT_SECURE_NODOTDOT
                                                     | ARCHIVE_EXTRACT_NO_OVERWRITE);

    QSet<QByteArray> seen;
    qint64 entries = 0;
    qint64 bytes = 0;
    for (;;) {
        archive_entry *entry = nullptr;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK)
            return libarchiveFailure(reader.get(), QStringLiteral("cannot read the archive"));
        if (++entries > limits.maximumEntries)
            return failure(QStringLiteral("the archive has more than %1 entries").arg(limits.maximumEntries));

        const QByteArray name = archive_entry_pathname(entry);
        const std::optional<QByteArrayList> components = relativeComponents(name);
        if (name.isEmpty() || !components)
            return refused(name, "absolute path or \"..\"");
        if (components->isEmpty())
            continue; // "./"
        const QByteArray relative = components->join('/');
        if (seen.contains(relative))
            return refused(name, "the name comes twice");
        seen.insert(relative);

        if (archive_entry_hardlink(entry))
            return refused(name, "hard link");
        const mode_t type = archive_entry_filetype(entry);
        if (type == AE_IFLNK) {
            const char *target = archive_entry_symlink(entry);
            if (!target || !staysInside(*components, target))
                return refused(name, "symbolic link leads outside the folder");
        } else if (type != AE_IFREG && type != AE_IFDIR) {
            return refused(name, "device file, FIFO or socket");
        }
        if (type == AE_IFREG && archive_entry_size_is_set(entry)
            && archive_entry_size(entry) > limits.maximumBytes - bytes)
            return failure(QStringLiteral("the archive unpacks to more than %1 bytes").arg(limits.maximumBytes));

        archive_entry_set_perm(entry, restoredMode(type, archive_entry_perm(entry)));
        const QByteArray target = QFile::encodeName(root) + '/' + relative;
        archive_entry_set_pathname(entry, target.constData());
        if (archive_write_header(writer.get(), entry) != ARCHIVE_OK)
            return libarchiveFailure(writer.get(), QStringLiteral("cannot write ") + QString::fromUtf8(relative));
        if (type == AE_IFREG) {
            for (;;) {
                const void *block = nullptr;
                size_t size = 0;
                la_int64_t offset = 0;
                const int read = archive_read_data_block(reader.get(), &block, &size, &offset);
                if (read == ARCHIVE_EOF)
                    break;
                if (read != ARCHIVE_OK)
                    return libarchiveFailure(reader.get(), QStringLiteral("cannot read ") + QString::fromUtf8(relative));
                bytes += static_cast<qint64>(size);
                if (bytes > limits.maximumBytes)
                    return failure(
                        QStringLiteral("the archive unpacks to more than %1 bytes").arg(limits.maximumBytes));
                if (archive_write_data_block(writer.get(), block, size, offset) != ARCHIVE_OK)
                    return libarchiveFailure(writer.get(), QStringLiteral("cannot write ") + QString::fromUtf8(relative));
            }
        }
        if (archive_write_finish_entry(writer.get()) != ARCHIVE_OK)
            return libarchiveFailure(writer.get(), QStringLiteral("cannot finish ") + QString::fromUtf8(relative));
    }
    // Folder modes are set here, after their contents.
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        return libarchiveFailure(writer.get(), QStringLiteral("cannot finish unpacking"));
    return checkLinks(root);
}

Result<void> pack(const QString &folder, const QString &archivePath) {
    const QFileInfo top(folder);
    if (!top.isDir())
        return failure(QStringLiteral("not a folder: ") + folder);
    const QString root = top.absoluteFilePath();
    const QByteArray prefix = QFile::encodeName(top.fileName());
    const Result<QList<BundleFiles::Item>> items = BundleFiles::list(root);
    if (!items)
        return items.error();

    Writer writer(archive_write_new());
    if (!writer)
        return failure(QStringLiteral("out of memory"));
    archive_write_set_format_zip(writer.get());
    archive_write_zip_set_compression_deflate(writer.get());
    if (archive_write_open_filename(writer.get(), QFile::encodeName(archivePath).constData()) != ARCHIVE_OK)
        return libarchiveFailure(writer.get(), QStringLiteral("cannot create the archive"));

    const auto add = [&writer](const QByteArray &name, const BundleFiles::Item &item, const QString &path) -> Result<void> {
        Entry entry(archive_entry_new());
        archive_entry_set_perm(entry.get(), item.mode);
        archive_entry_set_mtime(entry.get(), QFileInfo(path).lastModified().toSecsSinceEpoch(), 0);
        switch (item.kind) {
        case BundleFiles::Kind::folder:
            archive_entry_set_pathname(entry.get(), QByteArray(name + '/').constData());
            archive_entry_set_filetype(entry.get(), AE_IFDIR);
            break;
        case BundleFiles::Kind::link: {
            const Result<QByteArray> target = BundleFiles::linkText(path);
            if (!target)
                return target.error();
            archive_entry_set_pathname(entry.get(), name.constData());
            archive_entry_set_filetype(entry.get(), AE_IFLNK);
            archive_entry_set_symlink(entry.get(), target.value().constData());
            break;
        }
        case BundleFiles::Kind::file:
            archive_entry_set_pathname(entry.get(), name.constData());
            archive_entry_set_filetype(entry.get(), AE_IFREG);
            archive_entry_set_size(entry.get(), QFileInfo(path).size());
            break;
        }
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK)
            return libarchiveFailure(writer.get(), QStringLiteral("cannot add ") + path);
        if (item.kind != BundleFiles::Kind::file)
            return {};
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return failure(QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString());
        QByteArray buffer(64 * 1024, Qt::Uninitialized);
        for (;;) {
            const qint64 read = file.read(buffer.data(), buffer.size());
            if (read < 0)
                return failure(QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString());
            if (read == 0)
                return {};
            if (archive_write_data(writer.get(), buffer.constData(), static_cast<size_t>(read)) != read)
                return libarchiveFailure(writer.get(), QStringLiteral("cannot add ") + path);
        }
    };

    if (const Result<void> added = add(prefix, BundleFiles::Item{{}, BundleFiles::Kind::folder, 0755}, root); !added)
        return added;
    for (const BundleFiles::Item &item : items.value()) {
        const Result<void> added = add(prefix + '/' + item.path, item, root + u'/' + QFile::decodeName(item.path));
        if (!added)
            return added;
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        return libarchiveFailure(writer.get(), QStringLiteral("cannot finish the archive"));
    return {};
}

} // namespace BundleArchive

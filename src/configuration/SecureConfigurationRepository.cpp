#include "SecureConfigurationRepository.h"

#include "FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SecureConfiguration::error;

QString directoryOf(const QString &path) {
    return QFileInfo(path).absolutePath();
}

// The lock for `path`'s folder; `unavailable` when the wait ran out.
Result<FileLock> lockFolderOf(const QString &path, FileLock::Mode mode, std::chrono::milliseconds timeout) {
    Result<std::optional<FileLock>> lock = FileLock::lockDirectory(directoryOf(path), mode, timeout);
    if (!lock)
        return lock.error();
    if (!lock.value())
        return error(SecureConfigurationError::unavailable);
    return std::move(*lock.value());
}

// The whole file, refusing more than the limit even when it grew after its size was checked.
Result<QByteArray> readWhole(const QString &path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return posixError(errno, path);
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const int reason = errno;
            ::close(descriptor);
            return posixError(reason, path);
        }
        if (count == 0)
            break;
        data.append(buffer, count);
        if (data.size() > SecureConfigurationRepository::maximumSize) {
            ::close(descriptor);
            return error(SecureConfigurationError::tooLarge);
        }
    }
    ::close(descriptor);
    return data;
}

// Whether something is at `path` (a dangling link counts, as it would be replaced).
Result<bool> exists(const QString &path) {
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    return posixError(errno, path);
}

Result<void> writeAtomically(const QString &path, const QByteArray &data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return Error{QStringLiteral("QFileDevice"), file.error(), file.errorString() + QStringLiteral(": ") + path};
    return {};
}

Result<void> copyFile(const QString &from, const QString &to) {
    if (const Result<void> made = SecureConfigurationRepository::createDirectory(directoryOf(to)); !made)
        return made;
    QFile source(from);
    if (!source.copy(to))
        return Error{QStringLiteral("QFileDevice"), source.error(), source.errorString() + QStringLiteral(": ") + to};
    return {};
}

Result<void> checkNoConflicts(const QString &path) {
    if (!SecureConfigurationRepository::conflictVersions(path).isEmpty())
        return error(SecureConfigurationError::conflict);
    return {};
}

} // namespace

SecureConfigurationRepository::SecureConfigurationRepository(const QString &path, std::chrono::milliseconds lockTimeout)
    : m_path(standardizedPath(path))
    , m_lockTimeout(lockTimeout) {}

Result<void> SecureConfigurationRepository::createDirectory(const QString &directory) {
    if (QDir().mkpath(directory))
        return {};
    // mkpath says no more than that it failed; a stat tells why.
    struct stat status = {};
    const int reason = ::stat(QFile::encodeName(directory).constData(), &status) != 0 ? errno
                       : S_ISDIR(status.st_mode)                                      ? EACCES
                                                                                      : ENOTDIR;
    return posixError(reason, directory);
}

QString SecureConfigurationRepository::standardizedPath(const QString &path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

Result<QByteArray> SecureConfigurationRepository::readData(const QString &path, std::chrono::milliseconds lockTimeout) {
    const Result<FileLock> lock = lockFolderOf(path, FileLock::Mode::Shared, lockTimeout);
    if (!lock)
        return lock.error();
    if (const Result<void> clear = checkNoConflicts(path); !clear)
        return clear.error();
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return posixError(errno, path);
    if (status.st_size > maximumSize)
        return error(SecureConfigurationError::tooLarge);
    return readWhole(path);
}

Result<QByteArray> SecureConfigurationRepository::read() {
    const Result<QByteArray> data = readData(m_path, m_lockTimeout);
    if (!data)
        return data;
    return adopt(data.value());
}

Result<QByteArray> SecureConfigurationRepository::adopt(const QByteArray &data) {
    if (data.size() > maximumSize)
        return error(SecureConfigurationError::tooLarge);
    setExpected(data);
    return data;
}

bool SecureConfigurationRepository::isCurrent(const QByteArray &data) const {
    return m_expected && *m_expected == data;
}

Result<void> SecureConfigurationRepository::write(const QByteArray &data) {
    if (data.size() > maximumSize)
        return error(SecureConfigurationError::tooLarge);
    if (const Result<void> made = SecureConfigurationRepository::createDirectory(directoryOf(m_path)); !made)
        return made;
    {
        // The lock is held from the comparison to the rename: no writer that
        // takes it can come in between.
        const Result<FileLock> lock = lockFolderOf(m_path, FileLock::Mode::Exclusive, m_lockTimeout);
        if (!lock)
            return lock.error();
        // Writing while conflict copies wait would bury the conflict under a
        // fresh file that looks in step.
        if (const Result<void> clear = checkNoConflicts(m_path); !clear)
            return clear;
        const Result<bool> present = exists(m_path);
        if (!present)
            return present.error();
        std::optional<QByteArray> current;
        if (present.value()) {
            const Result<QByteArray> bytes = readWhole(m_path);
            if (!bytes) {
                // A file over the limit is simply not what this repository expects.
                if (SecureConfiguration::errorCase(bytes.error()) != SecureConfigurationError::tooLarge)
                    return bytes.error();
                return error(SecureConfigurationError::externalChange);
            }
            current = bytes.value();
        }
        if (current != m_expected)
            return error(SecureConfigurationError::externalChange);
        if (const Result<void> written = writeAtomically(m_path, data); !written)
            return written;
    }
    setExpected(data);
    return {};
}

Result<void> SecureConfigurationRepository::replace(const QByteArray &data, const std::optional<QString> &backupPath) {
    if (const Result<void> made = SecureConfigurationRepository::createDirectory(directoryOf(m_path)); !made)
        return made;
    {
        const Result<FileLock> lock = lockFolderOf(m_path, FileLock::Mode::Exclusive, m_lockTimeout);
        if (!lock)
            return lock.error();
        if (backupPath) {
            const Result<bool> present = exists(m_path);
            if (!present)
                return present.error();
            if (present.value()) {
                if (const Result<void> copied = copyFile(m_path, *backupPath); !copied)
                    return copied;
            }
        }
        if (const Result<void> written = writeAtomically(m_path, data); !written)
            return written;
    }
    setExpected(data);
    return {};
}

void SecureConfigurationRepository::setExpected(const QByteArray &data) {
    m_expected = data;
    ++m_revision;
}

bool SecureConfigurationRepository::isConflictVersionName(const QString &name, const QString &fileName) {
    const QFileInfo file(fileName);
    const QString suffix = file.suffix();
    const QString stem = QRegularExpression::escape(suffix.isEmpty() ? fileName : file.completeBaseName());
    const QString extension = suffix.isEmpty() ? QString() : QRegularExpression::escape(u'.' + suffix);
    // Syncthing; Nextcloud and ownCloud (two forms); Dropbox.
    const QString pattern = QStringLiteral("^%1(?:\\.sync-conflict-.*|_conflict-.*| \\(conflicted copy.*\\)"
                                           "| \\(.* conflicted copy.*\\))%2$")
                                .arg(stem, extension);
    const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption |
                                                     QRegularExpression::DotMatchesEverythingOption);
    return expression.match(name).hasMatch();
}

QStringList SecureConfigurationRepository::conflictVersions(const QString &path) {
    const QFileInfo file(path);
    QStringList versions;
    const QStringList names = file.dir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if (isConflictVersionName(name, file.fileName()))
            versions.append(name);
    }
    return versions;
}

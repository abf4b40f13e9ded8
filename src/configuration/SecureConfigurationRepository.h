#pragma once

#include "Result.h"
#include "SecureConfigurationError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Guards one configuration file that other machines (through a sync client)
// and other programs may change at any moment. It deals in bytes only and
// knows nothing of what the file holds. Reads and writes take the lock on the
// file's folder (FileLock); a read refuses a file with unresolved conflict
// copies or over 5,000,000 bytes; a guarded write refuses to overwrite bytes
// other than those it last read, adopted or wrote, so a change made elsewhere
// is never lost without the caller being told. replace() overwrites anyway,
// optionally keeping a copy of what it replaces.
//
// Operations are synchronous and wait for the lock: call them off the GUI
// thread. One repository is used by one thread at a time.
class SecureConfigurationRepository final {
public:
    // Bytes; a file of exactly this size is accepted.
    static constexpr qint64 maximumSize = 5'000'000;
    static constexpr std::chrono::milliseconds defaultLockTimeout{5000};

    // Stores `path` cleaned and absolute; touches nothing on disk.
    explicit SecureConfigurationRepository(const QString &path,
                                           std::chrono::milliseconds lockTimeout = defaultLockTimeout);
    SecureConfigurationRepository(const SecureConfigurationRepository &) = delete;
    SecureConfigurationRepository &operator=(const SecureConfigurationRepository &) = delete;

    QString path() const { return m_path; }
    // Starts at 0 and grows by exactly 1 whenever the expected bytes are replaced.
    qint64 revision() const { return m_revision; }

    // The file's bytes, read under the lock, after the checks in this order:
    // lock (an error, or `unavailable` when the wait ran out), conflict copies
    // (`conflict`), the file's size (a stat error, or `tooLarge`), the read.
    // Changes no repository.
    static Result<QByteArray> readData(const QString &path, std::chrono::milliseconds lockTimeout = defaultLockTimeout);
    // readData() of this file, then adopt().
    Result<QByteArray> read();
    // Takes bytes the caller obtained as the file's current content (`tooLarge` above the limit).
    Result<QByteArray> adopt(const QByteArray &data);
    // Whether the expected bytes are present and equal to `data` (false before any read).
    bool isCurrent(const QByteArray &data) const;
    // Guarded write: `tooLarge` before touching the disk; creates the folder;
    // under the lock, `conflict` while conflict copies exist and
    // `externalChange` when the file is not what was expected (present though
    // nothing was expected, missing though bytes were, or other bytes); then
    // an atomic replacement of the file.
    Result<void> write(const QByteArray &data);
    // Unguarded write of any size. With a backup path and an existing file, the
    // file is first copied there (its folder is created; the path must not exist).
    Result<void> replace(const QByteArray &data, const std::optional<QString> &backupPath = std::nullopt);

    // The conflict copies that sync clients left beside `path`, as file names:
    // Syncthing "config.sync-conflict-….json", Nextcloud and ownCloud
    // "config (conflicted copy …).json" and "config_conflict-….json", Dropbox
    // "config (… conflicted copy …).json" (for a file named config.json),
    // matched without regard to case.
    static QStringList conflictVersions(const QString &path);
    // Whether `name` is such a copy of the file named `fileName`.
    static bool isConflictVersionName(const QString &name, const QString &fileName);

    // Creates a folder with its missing parents; the reason (domain "POSIX") when it cannot.
    static Result<void> createDirectory(const QString &directory);

    // `path` absolute and cleaned of "." and ".." components and doubled slashes.
    static QString standardizedPath(const QString &path);

private:
    void setExpected(const QByteArray &data);

    QString m_path;
    std::chrono::milliseconds m_lockTimeout;
    std::optional<QByteArray> m_expected;
    qint64 m_revision = 0;
};

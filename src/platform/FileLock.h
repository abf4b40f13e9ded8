#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// An advisory lock (flock) on a directory, which the programs that share a file
// in it take around every read and write of that file: readers share it, a
// writer holds it alone. It stands in for file coordination between processes;
// it does not bind programs that do not take it (an editor, a sync client),
// which is why writers also replace files atomically.
//
// The lock is released when the object goes, and by the system when the
// process ends, however it ends. It belongs to the open file, so two FileLock
// objects exclude each other even within one process. Any thread; one object
// per thread.
class FileLock final {
public:
    enum class Mode { Shared, Exclusive };

    // Takes the lock alone on the file or folder at path (the system's bytes)
    // without waiting; std::nullopt when another holder has it or the path
    // cannot be opened. A missing file is created (owner-only permissions) when
    // `create` is set. A symbolic link is not followed.
    static std::optional<FileLock> tryLock(const QByteArray &path, bool create);

    // Waits at most `timeout` for the lock. Gives the lock; std::nullopt when the
    // wait ran out (another holder kept it); an Error (domain "POSIX", the errno)
    // when the directory cannot be opened or locked.
    static Result<std::optional<FileLock>> lockDirectory(const QString &directory, Mode mode,
                                                         std::chrono::milliseconds timeout);

    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

private:
    explicit FileLock(int descriptor)
        : m_descriptor(descriptor) {}

    int m_descriptor = -1;
};

// An Error for a failed system call: domain "POSIX", the errno, and the
// system's text for it followed by the path.
Error posixError(int errorNumber, const QString &path);

#include "FileLock.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

Error posixError(int errorNumber, const QString &path) {
    return Error{QStringLiteral("POSIX"), errorNumber, qt_error_string(errorNumber) + QStringLiteral(": ") + path};
}

Result<std::optional<FileLock>> FileLock::lockDirectory(const QString &directory, Mode mode,
                                                        std::chrono::milliseconds timeout) {
    const QByteArray path = QFile::encodeName(directory);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return posixError(errno, directory);
    FileLock lock(descriptor);

    // flock has no timed wait: try, then sleep a little longer each time, so a
    // short hold costs a millisecond and a stuck holder cannot keep us forever.
    const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::chrono::microseconds pause(200);
    while (::flock(descriptor, operation) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return posixError(errno, directory);
        if (std::chrono::steady_clock::now() >= deadline)
            return std::optional<FileLock>();
        QThread::usleep(static_cast<unsigned long>(pause.count()));
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
    return std::optional<FileLock>(std::move(lock));
}

std::optional<FileLock> FileLock::tryLock(const QByteArray &path, bool create) {
    int descriptor = -1;
    do {
        descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return std::nullopt;
    FileLock lock(descriptor);
    int locked = -1;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0)
        return std::nullopt;
    return std::optional<FileLock>(std::move(lock));
}

FileLock::FileLock(FileLock &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FileLock &FileLock::operator=(FileLock &&other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    // Closing the last descriptor of the open file releases the lock.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

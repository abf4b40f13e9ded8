#include "PersistentClipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The owner finds its two pipe ends in this variable: "<text fd>,<ack fd>".
constexpr char OwnerVariable[] = "VELLORA_CLIPBOARD_OWNER_FDS";
constexpr int AckTimeoutMs = 10000;

Error clipboardError(const QString &description)
{
    return Error{QStringLiteral("Vellora.Clipboard"), 1, description};
}

class FileDescriptor final {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

QByteArray readAll(int fd)
{
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return data;
        data.append(buffer, got);
    }
}

// Waits for the owner's one-byte answer: '1' once it owns the clipboard.
bool waitForAck(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, AckTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
    char answer = 0;
    ssize_t got = 0;
    do {
        got = ::read(fd, &answer, 1);
    } while (got < 0 && errno == EINTR);
    return got == 1 && answer == '1';
}

} // namespace

namespace PersistentClipboard {

Result<void> copy(const QString &text)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return clipboardError(QStringLiteral("no display to hold the clipboard"));

    int textPipe[2];
    int ackPipe[2];
    if (::pipe2(textPipe, O_CLOEXEC) != 0)
        return clipboardError(QString::fromLocal8Bit(std::strerror(errno)));
    FileDescriptor textRead(textPipe[0]), textWrite(textPipe[1]);
    if (::pipe2(ackPipe, O_CLOEXEC) != 0)
        return clipboardError(QString::fromLocal8Bit(std::strerror(errno)));
    FileDescriptor ackRead(ackPipe[0]), ackWrite(ackPipe[1]);

    // Everything the child needs is prepared before fork(): after it, only
    // async-signal-safe calls are allowed, since other threads may hold locks.
    char executable[4096];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length <= 0)
        return clipboardError(QStringLiteral("cannot find the running executable"));
    executable[length] = '\0';
    const std::string variable = std::string(OwnerVariable) + '=' + std::to_string(textRead.get()) + ','
                                 + std::to_string(ackWrite.get());
    std::vector<std::string> environment{variable};
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, OwnerVariable, sizeof OwnerVariable - 1) != 0)
            environment.emplace_back(*entry);
    }
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    // The owner's name in process listings says what it is.
    char ownerName[] = "vellora-clipboard-owner";
    char *argv[] = {ownerName, nullptr};
    const int textFd = textRead.get();
    const int ackFd = ackWrite.get();

    const pid_t child = ::fork();
    if (child < 0)
        return clipboardError(QString::fromLocal8Bit(std::strerror(errno)));
    if (child == 0) {
        // The intermediate child forks the owner and exits at once, so the owner
        // is adopted by init and never waits as a zombie of ours.
        if (::fork() != 0)
            ::_exit(0);
        ::setsid();
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        // Only the two pipe ends survive exec: clear their close-on-exec flag.
        ::fcntl(textFd, F_SETFD, 0);
        ::fcntl(ackFd, F_SETFD, 0);
        ::execve(executable, argv, envp.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    textRead.reset();
    ackWrite.reset();
    const QByteArray utf8 = text.toUtf8();
    const bool sent = writeAll(textWrite.get(), utf8.constData(), static_cast<size_t>(utf8.size()));
    textWrite.reset();
    if (!sent || !waitForAck(ackRead.get()))
        return clipboardError(QStringLiteral("the clipboard owner could not take the clipboard"));
    return {};
}

std::optional<int> runOwnerIfRequested(int argc, char **argv)
{
    const QByteArray fds = qgetenv(OwnerVariable);
    if (fds.isEmpty())
        return std::nullopt;
    qunsetenv(OwnerVariable);
    const QList<QByteArray> parts = fds.split(',');
    bool textOk = false;
    bool ackOk = false;
    const int textFd = parts.value(0).toInt(&textOk);
    const int ackFd = parts.value(1).toInt(&ackOk);
    if (parts.size() != 2 || !textOk || !ackOk)
        return 1;
    FileDescriptor ack(ackFd);
    QString text;
    {
        FileDescriptor input(textFd);
        text = QString::fromUtf8(readAll(input.get()));
    }

    QGuiApplication application(argc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    const bool owns = clipboard->ownsClipboard();
    const char answer = owns ? '1' : '0';
    writeAll(ack.get(), &answer, 1);
    ack.reset();
    if (!owns)
        return 1;
    QObject::connect(clipboard, &QClipboard::changed, &application, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QGuiApplication::quit();
    });
    return QGuiApplication::exec();
}

} // namespace PersistentClipboard

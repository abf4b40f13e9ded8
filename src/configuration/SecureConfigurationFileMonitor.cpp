#include "SecureConfigurationFileMonitor.h"

#include "SecureConfigurationRepository.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// What happens to the items of the watched folder itself.
constexpr uint32_t FolderEvents =
    IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// While the folder is missing: an ancestor gaining a child, or going away itself.
constexpr uint32_t AncestorEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Owns a file descriptor.
class Descriptor final {
public:
    explicit Descriptor(int descriptor = -1)
        : m_descriptor(descriptor) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    int get() const { return m_descriptor; }
    bool valid() const { return m_descriptor >= 0; }

private:
    int m_descriptor;
};

} // namespace

// The inotify descriptor, the reader thread, and the object on the owner's
// thread through which matching events are handed over.
class SecureConfigurationFileMonitor::Watcher final {
public:
    Watcher(const QString &watchedPath, std::function<void()> onChange)
        : m_folder(QFileInfo(watchedPath).absolutePath())
        , m_fileName(QFileInfo(watchedPath).fileName())
        , m_onChange(std::move(onChange))
        , m_inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    ~Watcher() {
        if (m_thread.joinable()) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = ::write(m_wake.get(), &one, sizeof one);
            m_thread.join();
        }
        // Calls already posted to the receiver go with it.
        delete m_receiver;
    }

    bool start() {
        if (!m_inotify.valid() || !m_wake.valid() || !arm())
            return false;
        m_receiver = new QObject;
        m_thread = std::thread([this] { run(); });
        return true;
    }

private:
    // Watches the folder, or its nearest existing ancestor while it is missing.
    // Thread: start(), then the reader thread only.
    bool arm() {
        if (m_watch >= 0)
            ::inotify_rm_watch(m_inotify.get(), m_watch);
        m_watch = -1;
        QString path = m_folder;
        for (;;) {
            const bool target = path == m_folder;
            m_watch = ::inotify_add_watch(m_inotify.get(), QFile::encodeName(path).constData(),
                                          target ? FolderEvents : AncestorEvents);
            if (m_watch >= 0) {
                m_watchingFolder = target;
                m_awaited = target ? QString() : QDir(path).relativeFilePath(m_folder).section(u'/', 0, 0);
                return true;
            }
            if ((errno != ENOENT && errno != ENOTDIR) || path == QStringLiteral("/"))
                return false;
            path = QFileInfo(path).absolutePath();
        }
    }

    bool concernsFile(const QString &name) const {
        return name == m_fileName || SecureConfigurationRepository::isConflictVersionName(name, m_fileName);
    }

    void notify() { QMetaObject::invokeMethod(m_receiver, m_onChange, Qt::QueuedConnection); }

    // Re-arms after the watched folder or ancestor went or a missing folder
    // appeared; reaching a folder that already holds the file is a change.
    void rearm() {
        const bool wasWatchingFolder = m_watchingFolder;
        if (!arm())
            return;
        if (m_watchingFolder && !wasWatchingFolder && QFileInfo::exists(QDir(m_folder).filePath(m_fileName)))
            notify();
    }

    void handle(const inotify_event &event) {
        if (event.mask & IN_Q_OVERFLOW) {
            // Events were lost; one of them may have been ours.
            notify();
            return;
        }
        if (event.wd != m_watch)
            return;
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
            // A removed folder was empty by then: its file's deletion was
            // reported already. A moved folder took the file along.
            if (m_watchingFolder && (event.mask & IN_MOVE_SELF))
                notify();
            if (event.mask & IN_IGNORED)
                m_watch = -1;
            rearm();
            return;
        }
        const QString name = event.len > 0 ? QFile::decodeName(event.name) : QString();
        if (!m_watchingFolder) {
            if ((event.mask & (IN_CREATE | IN_MOVED_TO)) && (event.mask & IN_ISDIR) && name == m_awaited)
                rearm();
            return;
        }
        if ((event.mask & (IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) && concernsFile(name))
            notify();
    }

    void run() {
        alignas(inotify_event) char buffer[16384];
        pollfd descriptors[2] = {{m_inotify.get(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}};
        for (;;) {
            if (::poll(descriptors, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (descriptors[1].revents != 0)
                return;
            for (;;) {
                const ssize_t count = ::read(m_inotify.get(), buffer, sizeof buffer);
                if (count <= 0)
                    break;
                for (ssize_t offset = 0; offset < count;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
                    handle(*event);
                    offset += ssize_t(sizeof(inotify_event) + event->len);
                }
            }
        }
    }

    const QString m_folder;
    const QString m_fileName;
    const std::function<void()> m_onChange;
    Descriptor m_inotify;
    Descriptor m_wake;
    int m_watch = -1;
    bool m_watchingFolder = false;
    // While an ancestor is watched: the name of its child on the way to the folder.
    QString m_awaited;
    QObject *m_receiver = nullptr;
    std::thread m_thread;
};

SecureConfigurationFileMonitor::SecureConfigurationFileMonitor(const QString &path, std::function<void()> onChange)
    : m_directory(path.section(u'/', 0, -2, QString::SectionIncludeLeadingSep))
    , m_watchedPath(SecureConfigurationRepository::standardizedPath(path))
    , m_onChange(std::move(onChange)) {}

SecureConfigurationFileMonitor::~SecureConfigurationFileMonitor() {
    stop();
}

bool SecureConfigurationFileMonitor::monitoring() const {
    return m_watcher != nullptr;
}

bool SecureConfigurationFileMonitor::start() {
    if (m_watcher)
        return true;
    auto watcher = std::make_unique<Watcher>(m_watchedPath, m_onChange);
    if (!watcher->start())
        return false;
    m_watcher = std::move(watcher);
    return true;
}

void SecureConfigurationFileMonitor::stop() {
    m_watcher.reset();
}

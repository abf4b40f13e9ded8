#include "TextEngineProcess.h"

#include "TesseractTextEngine.h"
#include "TextEngineWire.h"

#include <QFile>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const QString processErrorDomain = QStringLiteral("TextRecognition.Process");

// A started process and the application's end of its socket.
struct Child {
    pid_t pid = 0;
    int socket = -1;
};

// Reaps the process if it has exited. A process that is gone already (the
// application may leave its children to the system) has exited too.
bool hasExited(pid_t pid) {
    const pid_t waited = ::waitpid(pid, nullptr, WNOHANG);
    return waited == pid || (waited < 0 && errno == ECHILD);
}

// Closes the socket and waits for the process. A process that is not to be
// killed gets a moment to see its socket close and end by itself.
void end(Child child, bool kill) {
    if (child.socket >= 0)
        ::close(child.socket);
    if (child.pid <= 0)
        return;
    if (!kill) {
        for (int waited = 0; waited < 200; ++waited) {
            if (hasExited(child.pid))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ::kill(child.pid, SIGKILL);
    while (::waitpid(child.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

struct TextEngineProcess::Private {
    TextEngineProcessOptions options;
    Result<QStringList> languages{QStringList()};
    std::atomic<bool> traditionalFirst{false};
    std::atomic<int> starts{0};

    // Held for a whole recognition: the process answers one at a time.
    std::mutex runMutex;

    // Guards what follows; never held while waiting for the process.
    mutable std::mutex stateMutex;
    std::condition_variable idleWake;
    Child child;
    bool busy = false;
    bool stopping = false;
    // Counts cancel() calls; a recognition that saw another count is cancelled.
    quint64 generation = 0;
    std::chrono::steady_clock::time_point lastUse;
    std::thread keeper;

    Result<Child> start();
    void keep();
};

Result<Child> TextEngineProcess::Private::start() {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        return Error{processErrorDomain, 1,
                     QStringLiteral("The recognition process could not be started: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    }
    std::vector<QByteArray> arguments{QFile::encodeName(options.program)};
    for (const QString &argument : std::as_const(options.arguments))
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The process's end of the socket becomes its standard input; the
    // original descriptor closes on exec, as every other of ours does.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (failed != 0) {
        ::close(sockets[0]);
        return Error{processErrorDomain, 1,
                     QStringLiteral("The recognition process could not be started (%1): %2")
                         .arg(options.program, QString::fromLocal8Bit(std::strerror(failed)))};
    }
    ++starts;
    return Child{pid, sockets[0]};
}

// Ends the process once it has gone unused for options.idleEnd.
void TextEngineProcess::Private::keep() {
    std::unique_lock lock(stateMutex);
    while (!stopping) {
        if (child.pid == 0 || busy) {
            idleWake.wait(lock);
            continue;
        }
        const auto due = lastUse + options.idleEnd;
        if (std::chrono::steady_clock::now() < due) {
            idleWake.wait_until(lock, due);
            continue;
        }
        const Child idle = std::exchange(child, Child{});
        lock.unlock();
        end(idle, false);
        lock.lock();
    }
}

TextEngineProcess::TextEngineProcess(const TextEngineProcessOptions &options)
    : d(std::make_unique<Private>()) {
    d->options = options;
    d->languages = TesseractTextEngine::installedLanguages(TesseractTextEngineOptions());
    d->keeper = std::thread([p = d.get()] { p->keep(); });
}

TextEngineProcess::~TextEngineProcess() {
    Child last;
    {
        const std::lock_guard lock(d->stateMutex);
        d->stopping = true;
        last = std::exchange(d->child, Child{});
    }
    d->idleWake.notify_all();
    d->keeper.join();
    end(last, true);
}

Result<QStringList> TextEngineProcess::supportedRecognitionLanguages() {
    return d->languages;
}

Result<QList<TextObservation>> TextEngineProcess::run(const QImage &image, const TextRecognitionSettings &settings) {
    if (const Result<void> readable = TesseractTextEngine::checkReadable(image); !readable.ok())
        return readable.error();
    quint64 generation = 0;
    {
        const std::lock_guard lock(d->stateMutex);
        generation = d->generation;
    }
    const std::lock_guard running(d->runMutex);
    int socket = -1;
    {
        const std::lock_guard lock(d->stateMutex);
        if (d->generation != generation)
            return TesseractTextEngine::cancellation();
        // A process that ended since the last recognition (killed, or out of
        // memory) is replaced rather than asked.
        if (d->child.pid != 0 && hasExited(d->child.pid)) {
            ::close(d->child.socket);
            d->child = Child{};
        }
        if (d->child.pid == 0) {
            Result<Child> started = d->start();
            if (!started.ok())
                return started.error();
            d->child = started.value();
        }
        socket = d->child.socket;
        d->busy = true;
    }

    TextEngineWire::Request request{settings, d->traditionalFirst.load(), image};
    TextEngineWire::ReadFrame frame;
    if (TextEngineWire::writeFrame(socket, TextEngineWire::encodeRequest(request)))
        frame = TextEngineWire::readFrame(socket, d->options.answerLimit);
    std::optional<TextEngineWire::Answer> answer;
    if (frame.status == TextEngineWire::ReadStatus::Read)
        answer = TextEngineWire::decodeAnswer(frame.message);

    Child failed;
    bool cancelled = false;
    {
        const std::lock_guard lock(d->stateMutex);
        d->busy = false;
        d->lastUse = std::chrono::steady_clock::now();
        // A process that failed, was cancelled or is stuck is not asked
        // again: the next recognition starts another.
        if (!answer)
            failed = std::exchange(d->child, Child{});
        cancelled = d->generation != generation;
    }
    d->idleWake.notify_all();
    if (answer)
        return std::move(*answer);
    end(failed, true);
    if (cancelled)
        return TesseractTextEngine::cancellation();
    if (frame.status == TextEngineWire::ReadStatus::TimedOut)
        return Error{processErrorDomain, 3, QStringLiteral("The recognition process did not answer in time.")};
    return Error{processErrorDomain, 2, QStringLiteral("The recognition process ended before it answered.")};
}

void TextEngineProcess::setTraditionalChineseFirst(bool first) {
    d->traditionalFirst = first;
}

void TextEngineProcess::cancel() {
    const std::lock_guard lock(d->stateMutex);
    ++d->generation;
    // The recognition in progress sees its socket close and ends.
    if (d->busy && d->child.pid != 0)
        ::kill(d->child.pid, SIGKILL);
}

qint64 TextEngineProcess::processId() const {
    const std::lock_guard lock(d->stateMutex);
    return d->child.pid;
}

int TextEngineProcess::processStarts() const {
    return d->starts.load();
}

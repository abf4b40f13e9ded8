#include "NativeUpdateHelper.h"

#include "AppBundle.h"
#include "NativeUpdatePolicy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <csignal>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>

namespace NativeUpdateHelper {
namespace {

namespace fs = std::filesystem;

Error fileSystemError(const std::error_code &code, const QString &what) {
    return Error{QStringLiteral("POSIX"), code.value(), what + QStringLiteral(": ") + QString::fromStdString(code.message())};
}

fs::path nativePath(const QString &path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

// A new name beside `path`: ".<name>.<tag>-<UUID>".
QString hiddenSibling(const QString &path, QLatin1StringView tag) {
    const QFileInfo info(path);
    return info.dir().filePath(u'.' + info.fileName() + u'.' + tag + u'-'
                               + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

// Moves a folder; across file systems by copying it beside the target first,
// so the target appears whole or not at all.
Result<void> moveFolder(const QString &from, const QString &to) {
    std::error_code code;
    fs::rename(nativePath(from), nativePath(to), code);
    if (!code)
        return {};
    if (code != std::errc::cross_device_link)
        return fileSystemError(code, QStringLiteral("cannot move ") + from);
    const QString incoming = hiddenSibling(to, QLatin1StringView("incoming"));
    fs::copy(nativePath(from), nativePath(incoming), fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             code);
    if (!code)
        fs::rename(nativePath(incoming), nativePath(to), code);
    if (code) {
        std::error_code ignored;
        fs::remove_all(nativePath(incoming), ignored);
        return fileSystemError(code, QStringLiteral("cannot copy ") + from);
    }
    std::error_code ignored;
    fs::remove_all(nativePath(from), ignored);
    return {};
}

// The installation: the new bundle is the one this helper runs from.
void install(const QString &installed, pid_t oldProcess) {
    if (!waitForExit(oldProcess))
        return;
    const std::optional<AppBundle> &own = AppBundle::main();
    const QString staged = own ? own->path() : QString();
    const QString work = QFileInfo(staged).path();
    const Result<void> swapped =
        own ? replaceApplication(staged, installed, &relaunch)
            : Result<void>(Error{QStringLiteral("NativeUpdateHelper"), 1, QStringLiteral("the helper runs from no bundle")});
    if (!swapped) {
        // The old version, put back where it was.
        (void)relaunch(installed);
        return;
    }
    // What is left of the work folder: the archive it was unpacked from.
    QFile::remove(QDir(work).filePath(QStringLiteral("update.zip")));
    QDir().rmdir(work);
}

} // namespace

bool isRunning(pid_t pid) {
    if (::kill(pid, 0) != 0)
        return errno != ESRCH;
    // A process that has ended but whose parent has not collected it yet (or
    // never will, under an init that does not reap) is gone too.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    const char state = end >= 0 && end + 2 < line.size() ? line.at(end + 2) : '?';
    return state != 'Z' && state != 'X';
}

bool waitForExit(pid_t pid, const WaitTiming &timing) {
    const auto exists = [pid] { return isRunning(pid); };
    for (int poll = 0; poll < timing.polls; ++poll) {
        if (!exists())
            return true;
        std::this_thread::sleep_for(timing.interval);
    }
    return !exists();
}

Result<void> relaunch(const QString &applicationPath) {
    const std::optional<AppBundle> bundle = AppBundle::open(applicationPath);
    const std::optional<QString> executable = bundle ? bundle->executablePath() : std::nullopt;
    if (!executable)
        return Error{QStringLiteral("NativeUpdateHelper"), 2, applicationPath + QStringLiteral(" has no executable")};
    QProcess application;
    application.setProgram(*executable);
    application.setWorkingDirectory(QDir::homePath());
    if (!application.startDetached())
        return Error{QStringLiteral("QProcess"), application.error(), application.errorString()};
    return {};
}

Result<void> replaceApplication(const QString &source, const QString &current,
                                const std::function<Result<void>(const QString &)> &relaunch) {
    const QString backup = hiddenSibling(current, QLatin1StringView("previous"));
    std::error_code code;
    fs::rename(nativePath(current), nativePath(backup), code);
    if (code)
        return fileSystemError(code, QStringLiteral("cannot move ") + current + QStringLiteral(" aside"));

    Result<void> outcome = moveFolder(source, current);
    if (outcome)
        outcome = relaunch(current);
    if (outcome) {
        std::error_code ignored;
        fs::remove_all(nativePath(backup), ignored);
        return {};
    }
    std::error_code ignored;
    fs::remove_all(nativePath(current), ignored);
    fs::rename(nativePath(backup), nativePath(current), ignored);
    return outcome;
}

bool runIfRequested(const QStringList &arguments) {
    if (arguments.size() != 4 || arguments.at(1) != argument)
        return false;
    const std::optional<qint64> pid = NativeUpdatePolicy::parseInteger(arguments.at(3), 32);
    if (!pid || *pid < 1)
        return false;
    install(arguments.at(2), static_cast<pid_t>(*pid));
    return true;
}

} // namespace NativeUpdateHelper

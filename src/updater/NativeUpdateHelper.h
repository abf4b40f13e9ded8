#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

#include <sys/types.h>

// The installation helper: a mode of the new, staged executable. The old
// application starts it just before it quits; the helper waits for the old
// process to end, moves the installed bundle aside, moves its own bundle into
// place, starts it, and removes the old one. When the old process never ends,
// nothing changes; when the swap fails, the old bundle is put back and
// started. It tells nobody: it runs after the application that asked is gone.
namespace NativeUpdateHelper {

inline constexpr QLatin1StringView argument{"--native-update-helper"};

// Exactly: --native-update-helper, the installed bundle's path, and the old
// process's identifier (a decimal 32-bit integer of at least 1). Installs and
// returns true; false, doing nothing, for any other arguments.
bool runIfRequested(const QStringList &arguments);

struct WaitTiming {
    int polls = 200;
    std::chrono::microseconds interval{100000};
};

// Whether the process still runs: it exists (any answer of kill(pid, 0) but
// ESRCH, a permission error included) and has not ended as a zombie.
bool isRunning(pid_t pid);

// Whether the process has gone: up to `polls` tests with a sleep after each
// while it runs, then one last test.
bool waitForExit(pid_t pid, const WaitTiming &timing = {});

// Starts the bundle's executable anew, detached, without arguments.
Result<void> relaunch(const QString &applicationPath);

// Moves `current` to a hidden backup beside it (".<name>.previous-<UUID>"),
// moves `source` to `current` (copying when they are on different file
// systems), runs `relaunch` on it and removes the backup. When the move or the
// relaunch fails, whatever is at `current` goes, the backup comes back, and
// the error is returned; when the first move fails, nothing has changed.
Result<void> replaceApplication(const QString &source, const QString &current,
                                const std::function<Result<void>(const QString &)> &relaunch);

} // namespace NativeUpdateHelper

#include "ChildProcess.h"

#include <QProcess>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace ChildProcess {

void endWithThisProcess(QProcess &process) {
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have ended before the signal was armed.
        if (::getppid() != parent)
            ::_exit(1);
    });
}

} // namespace ChildProcess

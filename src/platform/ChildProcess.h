#pragma once

class QProcess;

// Ties the life of child processes to this one.
namespace ChildProcess {

// The child gets SIGTERM when this process ends, however it ends (SIGKILL
// included), so that no tool of ours outlives the application. Call before
// QProcess::start(); the process must be started from a thread that lives as
// long as the child should.
void endWithThisProcess(QProcess &process);

} // namespace ChildProcess

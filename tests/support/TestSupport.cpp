#include "TestSupport.h"

#include <QDir>
#include <QProcess>

namespace TestSupport {

QString sourceDir()
{
    return qEnvironmentVariable("VELLORA_SOURCE_DIR");
}

QString binaryDir()
{
    return qEnvironmentVariable("VELLORA_BINARY_DIR");
}

QString velloraExecutable()
{
    return QDir(binaryDir()).filePath(QStringLiteral("bin/vellora"));
}

ProcessResult run(const QString &program, const QStringList &arguments, const QByteArray &standardInput,
                  const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!standardInput.isEmpty())
        process.write(standardInput);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.standardOutput = process.readAllStandardOutput();
        result.standardError = process.readAllStandardError();
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

ProcessResult runVellora(const QStringList &arguments, const QByteArray &standardInput,
                         const QProcessEnvironment &environment, int timeoutMs)
{
    return run(velloraExecutable(), arguments, standardInput, environment, timeoutMs);
}

} // namespace TestSupport

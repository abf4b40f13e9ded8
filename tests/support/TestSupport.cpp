#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

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

QList<qint64> processesWithEnvironment(const QString &commandPattern, const QString &environmentEntry)
{
    const auto readProcFile = [](const QString &pid, const char *name) {
        QFile file(QStringLiteral("/proc/%1/%2").arg(pid, QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray pattern = commandPattern.toUtf8();
    const QByteArray entry = environmentEntry.toUtf8();
    QList<qint64> result;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool numeric = false;
        const qint64 value = pid.toLongLong(&numeric);
        if (!numeric)
            continue;
        // Arguments and variables are separated by NUL bytes.
        QByteArray commandLine = readProcFile(pid, "cmdline");
        commandLine.replace('\0', ' ');
        if (!commandLine.contains(pattern))
            continue;
        // A zombie has an empty command line and no environment: it counts as gone.
        if (readProcFile(pid, "environ").split('\0').contains(entry))
            result.append(value);
    }
    return result;
}

std::optional<QProcessEnvironment> decimalCommaEnvironment(QProcessEnvironment base)
{
    const QString name = QStringLiteral("de_DE.UTF-8");
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder = QDir(cache).filePath(QStringLiteral("vellora-test-locales"));
    if (!QFileInfo::exists(QDir(folder).filePath(name + QStringLiteral("/LC_NUMERIC")))) {
        // Tests run in parallel: each builds aside and the first rename wins.
        QDir().mkpath(cache);
        QTemporaryDir building(folder + QStringLiteral("-XXXXXX"));
        if (!building.isValid())
            return std::nullopt;
        const ProcessResult built =
            run(QStringLiteral("localedef"),
                {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                 building.filePath(name)});
        if (!built.finished || built.exitCode != 0)
            return std::nullopt;
        if (QDir().rename(building.path(), folder))
            building.setAutoRemove(false);
    }
    base.insert(QStringLiteral("LOCPATH"), folder);
    base.insert(QStringLiteral("LC_ALL"), name);
    // The proof that the locale took: printf, which follows it, writes a comma.
    const ProcessResult probe = run(QStringLiteral("/usr/bin/printf"), {QStringLiteral("%.1f"), QStringLiteral("0.5")},
                                    {}, base);
    if (probe.standardOutput != "0,5")
        return std::nullopt;
    return base;
}

QString writeRecordingProgram(const QString &folder, const QString &name) {
    const QByteArray record = QFile::encodeName(QDir(folder).filePath(name + QStringLiteral(".arguments")));
    QFile program(QDir(folder).filePath(name));
    if (!program.open(QIODevice::WriteOnly))
        return QString();
    program.write("#!/bin/sh\necho \"$@\" > '" + record + ".part' && mv '" + record + ".part' '" + record + "'\n");
    program.close();
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    return QFile::decodeName(record);
}

EnvironmentChange::~EnvironmentChange() {
    // Newest first, so a variable changed twice ends as it was before both.
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        if (saved->value)
            qputenv(saved->name, *saved->value);
        else
            qunsetenv(saved->name);
    }
}

void EnvironmentChange::remember(const char *name) {
    m_saved.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt});
}

EnvironmentChange &EnvironmentChange::set(const char *name, const QByteArray &value) {
    remember(name);
    qputenv(name, value);
    return *this;
}

EnvironmentChange &EnvironmentChange::unset(const char *name) {
    remember(name);
    qunsetenv(name);
    return *this;
}

} // namespace TestSupport

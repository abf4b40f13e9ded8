#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Paths and process helpers shared by the test executables.
namespace TestSupport {

// The repository's root and the build folder, as ctest passes them in.
QString sourceDir();
QString binaryDir();
// The built `vellora` executable.
QString velloraExecutable();

struct ProcessResult {
    bool finished = false; // false: it timed out and was killed
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs a program to its end, feeding it standardInput and then closing it.
ProcessResult run(const QString &program, const QStringList &arguments, const QByteArray &standardInput = {},
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                  int timeoutMs = 120000);

// run() for the built `vellora`.
ProcessResult runVellora(const QStringList &arguments, const QByteArray &standardInput = {},
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                         int timeoutMs = 120000);

// The processes of this user whose command line contains commandPattern and
// whose environment holds environmentEntry ("NAME=value"). Tests mark the
// processes they start with an entry of their own (a private TMPDIR, say), so
// other test runs on the same machine never count.
QList<qint64> processesWithEnvironment(const QString &commandPattern, const QString &environmentEntry);

// A locale that writes numbers with a decimal comma (de_DE.UTF-8), built with
// localedef once per test session into a folder of its own. The environment
// selects it for child processes (LOCPATH, LC_ALL); std::nullopt when it could
// not be built, or when it does not give a comma after all.
std::optional<QProcessEnvironment>
decimalCommaEnvironment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment());

// Writes an executable `name` into `folder` that stands in for a program the
// app opens: it writes its arguments to the returned file, whole and then
// renamed, so a test that sees the file never reads it half written.
QString writeRecordingProgram(const QString &folder, const QString &name);

// Changes this process's environment for one test and puts every variable it
// touched back as it was (set or not set) when it goes.
class EnvironmentChange {
public:
    EnvironmentChange() = default;
    ~EnvironmentChange();
    EnvironmentChange(const EnvironmentChange &) = delete;
    EnvironmentChange &operator=(const EnvironmentChange &) = delete;

    EnvironmentChange &set(const char *name, const QByteArray &value);
    EnvironmentChange &unset(const char *name);

private:
    void remember(const char *name);

    struct Saved {
        const char *name;
        std::optional<QByteArray> value;
    };
    std::vector<Saved> m_saved;
};

} // namespace TestSupport

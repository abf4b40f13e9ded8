#include "WaylandClipboard.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace WaylandClipboard {

namespace {

QString program()
{
    return QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
}

} // namespace

bool available()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !program().isEmpty();
}

void copy(const QString &text, QObject *context, std::function<void(bool)> done)
{
    auto *process = new QProcess(context);
    process->setProgram(program());
    process->setArguments({QStringLiteral("--type"), QStringLiteral("text/plain;charset=utf-8")});
    // wl-copy leaves a child behind to serve the text; only the parent is waited for.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto finish = [process, done](bool ok) {
        process->disconnect();
        process->deleteLater();
        done(ok);
    };
    QObject::connect(process, &QProcess::finished, context, [process, finish](int exitCode, QProcess::ExitStatus) {
        finish(exitCode == 0 && process->exitStatus() == QProcess::NormalExit);
    });
    QObject::connect(process, &QProcess::errorOccurred, context, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    process->start();
    process->write(text.toUtf8());
    process->closeWriteChannel();
}

} // namespace WaylandClipboard

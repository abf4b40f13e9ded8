#include "ExecutableAssessment.h"

#include "AppBundle.h"

#include <QFile>
#include <QProcess>

#include <elf.h>

#include <cstdio>
#include <cstring>

namespace ExecutableAssessment {
namespace {

Error failure(const QString &description) {
    return Error{QStringLiteral("ExecutableAssessment"), 1, description};
}

// The identification bytes and the type and machine fields: the same offsets
// in 32- and 64-bit ELF headers.
struct Identity {
    unsigned char elfClass = 0;
    unsigned char byteOrder = 0;
    quint16 type = 0;
    quint16 machine = 0;
};

std::optional<Identity> identity(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = file.read(EI_NIDENT + 4);
    if (header.size() < EI_NIDENT + 4 || std::memcmp(header.constData(), ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    Identity result;
    result.elfClass = static_cast<unsigned char>(header.at(EI_CLASS));
    result.byteOrder = static_cast<unsigned char>(header.at(EI_DATA));
    const auto field = [&header, &result](int offset) {
        const auto low = static_cast<unsigned char>(header.at(offset));
        const auto high = static_cast<unsigned char>(header.at(offset + 1));
        return static_cast<quint16>(result.byteOrder == ELFDATA2MSB ? (low << 8) | high : (high << 8) | low);
    };
    result.type = field(EI_NIDENT);
    result.machine = field(EI_NIDENT + 2);
    return result;
}

} // namespace

Result<void> checkMachine(const QString &executablePath) {
    static const std::optional<Identity> running = identity(QStringLiteral("/proc/self/exe"));
    const std::optional<Identity> candidate = identity(executablePath);
    if (!candidate)
        return failure(executablePath + QStringLiteral(" is not an ELF file"));
    if (!running)
        return failure(QStringLiteral("the running executable's own header cannot be read"));
    if (candidate->elfClass != running->elfClass || candidate->byteOrder != running->byteOrder
        || candidate->machine != running->machine)
        return failure(executablePath + QStringLiteral(" is built for another machine"));
    if (candidate->type != ET_EXEC && candidate->type != ET_DYN)
        return failure(executablePath + QStringLiteral(" is not an executable"));
    return {};
}

QByteArray probeAnswer(const QString &identifier, const QString &build) {
    return identifier.toUtf8() + ' ' + build.toUtf8() + '\n';
}

std::optional<int> answerProbeIfRequested(const QStringList &arguments) {
    if (arguments.size() != 2 || arguments.at(1) != ProbeArgument)
        return std::nullopt;
    const std::optional<AppBundle> &bundle = AppBundle::main();
    if (!bundle)
        return 1;
    const QByteArray answer = probeAnswer(bundle->identifier().value_or(QString()),
                                          bundle->string(QLatin1StringView("CFBundleVersion")).value_or(QString()));
    std::fwrite(answer.constData(), 1, static_cast<size_t>(answer.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

Result<QByteArray> probe(const QString &executablePath, std::chrono::milliseconds timeout) {
    QProcess process;
    process.setProgram(executablePath);
    process.setArguments({ProbeArgument});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(static_cast<int>(timeout.count())))
        return failure(QStringLiteral("the probe did not start: ") + process.errorString());
    process.closeWriteChannel();
    if (!process.waitForFinished(static_cast<int>(timeout.count()))) {
        process.kill();
        process.waitForFinished(1000);
        return failure(QStringLiteral("the probe did not answer in time"));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return failure(QStringLiteral("the probe failed with status %1").arg(process.exitCode()));
    return process.readAllStandardOutput();
}

} // namespace ExecutableAssessment

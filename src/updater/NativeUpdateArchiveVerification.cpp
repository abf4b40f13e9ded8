#include "NativeUpdateArchiveVerification.h"

#include "NativeUpdateInstaller.h"
#include "NativeUpdatePolicy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace NativeUpdateArchiveVerification {
namespace {

void write(std::FILE *stream, const QString &line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

Result<QString> verify(const NativeUpdateConfiguration &configuration, const QStringList &arguments) {
    const std::optional<qint64> build = NativeUpdatePolicy::parseInteger(arguments.at(4));
    if (!build)
        return NativeUpdateInstaller::error(NativeUpdateInstaller::Failure::invalidArchive);
    NativeUpdateManifest manifest;
    manifest.schemaVersion = 1;
    manifest.product = configuration.product;
    manifest.version = arguments.at(3);
    manifest.build = *build;
    manifest.downloadURL = configuration.manifestURL;
    manifest.downloadURLText = configuration.manifestURL.toString();
    manifest.sha256 = arguments.at(5);

    QFile archive(arguments.at(2));
    if (!archive.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("QFileDevice"), archive.error(), archive.errorString()};
    const QByteArray data = archive.readAll();
    if (archive.error() != QFileDevice::NoError)
        return Error{QStringLiteral("QFileDevice"), archive.error(), archive.errorString()};
    return NativeUpdateInstaller::prepare(data, manifest, configuration);
}

} // namespace

std::optional<int> runIfRequested(const NativeUpdateConfiguration &configuration, const QStringList &arguments) {
    if (arguments.size() != 6 || arguments.at(1) != argument)
        return std::nullopt;
    const Result<QString> application = verify(configuration, arguments);
    if (!application) {
        write(stderr, QStringLiteral("UPDATE VERIFY FAILED: ") + application.error().description);
        return 1;
    }
    QDir(QFileInfo(application.value()).path()).removeRecursively();
    write(stdout, QStringLiteral("UPDATE VERIFY PASS: checksum, app identity, Developer ID signature and notarization"));
    return 0;
}

} // namespace NativeUpdateArchiveVerification

#include "NativeUpdateInstaller.h"

#include "AppBundle.h"
#include "BundleSignature.h"
#include "ExecutableAssessment.h"
#include "NativeUpdateHelper.h"
#include "NativeUpdatePolicy.h"
#include "UpdaterLocalization.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLoggingCategory>
#include <QProcess>
#include <QSaveFile>
#include <QUuid>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace NativeUpdateInstaller {
namespace {

// Why a check refused, for whoever looks into a failed update: the user sees
// only the failure's own text.
Q_LOGGING_CATEGORY(lcInstaller, "vellora.updater.installer", QtWarningMsg)

Error systemError(int code, const QString &what) {
    return Error{QStringLiteral("POSIX"), code, what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code))};
}

Error refuse(const QString &reason) {
    qCInfo(lcInstaller) << "update refused:" << reason;
    return error(Failure::invalidApplication);
}

Result<QString> checkApplication(const QString &work, const NativeUpdateManifest &manifest,
                                 const NativeUpdateConfiguration &configuration) {
    const std::optional<AppBundle> bundle = AppBundle::open(QDir(work).filePath(configuration.appName + u".app"));
    if (!bundle)
        return refuse(QStringLiteral("no bundle ") + configuration.appName + u".app");
    if (bundle->identifier() != configuration.bundleIdentifier)
        return refuse(QStringLiteral("another bundle identifier"));
    if (bundle->string(QLatin1StringView("CFBundleShortVersionString")) != manifest.version)
        return refuse(QStringLiteral("another version"));
    const std::optional<QString> build = bundle->string(QLatin1StringView("CFBundleVersion"));
    if (!build || NativeUpdatePolicy::parseInteger(*build) != manifest.build)
        return refuse(QStringLiteral("another build"));
    const std::optional<QString> executable = bundle->executablePath();
    if (!executable)
        return refuse(QStringLiteral("no executable"));
    // The signature first: nothing downloaded runs before it is known to be the team's.
    if (const Result<void> signed_ = BundleSignature::verify(bundle->path(), configuration.bundleIdentifier,
                                                             configuration.teamIdentifier, configuration.teamPublicKeys);
        !signed_)
        return refuse(signed_.error().description);
    if (const Result<void> machine = ExecutableAssessment::checkMachine(*executable); !machine)
        return refuse(machine.error().description);
    const Result<QByteArray> answer = ExecutableAssessment::probe(*executable);
    if (!answer)
        return refuse(answer.error().description);
    if (answer.value() != ExecutableAssessment::probeAnswer(configuration.bundleIdentifier, *build))
        return refuse(QStringLiteral("the probe answered ") + QString::fromUtf8(answer.value().trimmed()));
    return bundle->path();
}

} // namespace

QString failureKey(Failure failure) {
    switch (failure) {
    case Failure::invalidArchive:
        return QStringLiteral("更新包已损坏，请重新下载。");
    case Failure::invalidApplication:
        return QStringLiteral("更新包未通过开发者签名或公证校验。");
    }
    return {};
}

Error error(Failure failure) {
    return Error{FailureDomain, static_cast<qint64>(failure), updaterCopy(failureKey(failure))};
}

Result<QString> prepare(const QByteArray &data, const NativeUpdateManifest &manifest,
                        const NativeUpdateConfiguration &configuration, const BundleArchive::Limits &limits) {
    const QByteArray digest = QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
    if (QString::fromLatin1(digest) != manifest.sha256.toLower())
        return error(Failure::invalidArchive);

    // Private to this user: nobody else may swap the bundle between its checks and its installation.
    const QString work = QDir(QDir::tempPath())
                             .filePath(configuration.product + QStringLiteral("-update-")
                                       + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    if (::mkdir(QFile::encodeName(work).constData(), 0700) != 0)
        return systemError(errno, QStringLiteral("cannot create ") + work);

    const auto failed = [&work](Error failure) -> Result<QString> {
        QDir(work).removeRecursively();
        return failure;
    };
    QSaveFile archive(QDir(work).filePath(QStringLiteral("update.zip")));
    if (!archive.open(QIODevice::WriteOnly) || archive.write(data) != data.size() || !archive.commit())
        return failed(Error{QStringLiteral("QFileDevice"), archive.error(), archive.errorString()});
    if (const Result<void> unpacked = BundleArchive::unpack(archive.fileName(), work, limits); !unpacked)
        return failed(refuse(unpacked.error().description));
    Result<QString> application = checkApplication(work, manifest, configuration);
    if (!application)
        return failed(application.error());
    return application;
}

Result<void> launchHelper(const QString &stagedApplication, const QString &replacing) {
    const std::optional<AppBundle> staged = AppBundle::open(stagedApplication);
    const std::optional<QString> executable = staged ? staged->executablePath() : std::nullopt;
    if (!executable)
        return error(Failure::invalidApplication);
    QProcess helper;
    helper.setProgram(*executable);
    helper.setArguments({NativeUpdateHelper::argument, replacing, QString::number(::getpid())});
    helper.setWorkingDirectory(QDir::homePath());
    if (!helper.startDetached())
        return Error{QStringLiteral("QProcess"), helper.error(), helper.errorString()};
    return {};
}

} // namespace NativeUpdateInstaller

#include "ScreenRegionCapture.h"

#include "ChildProcess.h"
#include "FileLock.h"
#include "ImageDecoding.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QPromise>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUuid>

#include <unistd.h>

namespace {

const QString Domain = QStringLiteral("Vellora.Capture");
constexpr int StopTimeoutMs = 2000;

Error unreadableImage()
{
    return Error{Domain, 2, QStringLiteral("截图无法读取或超过 4000 万像素，请选择更小的区域。")};
}

// The selector's standard error as UTF-8; text that is not valid UTF-8 counts as empty.
QString decodeStandardError(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

const QString FolderPrefix = QStringLiteral("vellora-capture-");

// Removes the capture's private folder when the capture ends, whichever way.
// While it exists the folder is locked, so that a later start of the
// application can tell it from one that a killed instance left behind.
class CaptureFolder final {
public:
    CaptureFolder() = default;
    CaptureFolder(const CaptureFolder &) = delete;
    CaptureFolder &operator=(const CaptureFolder &) = delete;
    ~CaptureFolder()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }

    // Creates "vellora-capture-<UUID>" in the temporary folder, readable by the owner only.
    Result<void> create()
    {
        const QString name = FolderPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QDir temporary(QDir::tempPath());
        // Made and locked under a hidden name, then renamed: the folder never
        // shows under its own name unlocked. The lock stays with the renamed folder.
        const QString making = temporary.filePath(u'.' + name);
        const QString path = temporary.filePath(name);
        const auto failed = [&path] {
            return Error{QStringLiteral("QDir"), 1, QStringLiteral("Could not create the folder %1").arg(path)};
        };
        if (!QDir().mkpath(QDir::tempPath())
            || !QDir().mkdir(making, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            return failed();
        m_lock = FileLock::tryLock(QFile::encodeName(making), false);
        if (!m_lock || !QDir().rename(making, path)) {
            QDir(making).removeRecursively();
            return failed();
        }
        m_path = path;
        return {};
    }

    QString path() const { return m_path; }
    QString regionFile() const { return QDir(m_path).filePath(QStringLiteral("region.png")); }

private:
    QString m_path;
    std::optional<FileLock> m_lock;
};

} // namespace

ScreenRegionCapture::ScreenRegionCapture(const QString &selectorPath, QObject *parent)
    : QObject(parent)
    , m_selectorPath(selectorPath)
{
}

ScreenRegionCapture::~ScreenRegionCapture()
{
    stop();
}

void ScreenRegionCapture::stop()
{
    if (!m_process)
        return;
    // Nothing is given: the capture's future is cancelled when its promise
    // goes with the process's connections, and its folder is removed.
    m_process->disconnect(this);
    m_process->terminate();
    if (!m_process->waitForFinished(StopTimeoutMs)) {
        m_process->kill();
        m_process->waitForFinished(StopTimeoutMs);
    }
    m_process.reset();
}

void ScreenRegionCapture::removeAbandonedFolders()
{
    static const QRegularExpression folderName(QRegularExpression::anchoredPattern(
        FolderPrefix + QStringLiteral("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}")));
    const QFileInfoList entries =
        QDir(QDir::tempPath()).entryInfoList({FolderPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || entry.ownerId() != ::geteuid() || !folderName.match(entry.fileName()).hasMatch())
            continue;
        // A capture that runs holds its folder's lock; a folder whose lock is
        // free was left by an instance that is gone.
        const std::optional<FileLock> unowned = FileLock::tryLock(QFile::encodeName(entry.absoluteFilePath()), false);
        if (unowned)
            QDir(entry.absoluteFilePath()).removeRecursively();
    }
}

bool ScreenRegionCapture::isRunning() const
{
    return m_process != nullptr;
}

QString ScreenRegionCapture::defaultSelectorPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vellora-screencapture"));
}

bool ScreenRegionCapture::permissionGranted()
{
    // X11 lets any client read the screen. On Wayland the desktop portal asks
    // the user (or its stored answer) when the selector requests the picture,
    // and a refusal comes back as the selector's permission error.
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

ScreenRegionCapture::PermissionSetup ScreenRegionCapture::permissionSetup()
{
    return permissionSetup(
        QProcessEnvironment::systemEnvironment(),
        [](const QString &program) { return QStandardPaths::findExecutable(program); },
        [](const QString &entry) { return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry); });
}

ScreenRegionCapture::PermissionSetup
ScreenRegionCapture::permissionSetup(const QProcessEnvironment &environment,
                                     const std::function<QString(const QString &)> &findExecutable,
                                     const std::function<QString(const QString &)> &findApplication)
{
    PermissionSetup setup;
    // An X server hands its screen to every client that asks.
    setup.required = environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (!setup.required)
        return setup;
    const QStringList desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':');
    const auto openWith = [&setup, &findExecutable](const QString &name, const QStringList &arguments) {
        const QString program = findExecutable(name);
        if (!program.isEmpty()) {
            setup.settingsProgram = program;
            setup.settingsArguments = arguments;
        }
    };
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)) {
        // GNOME's privacy panel is the one setting there that governs screen sharing.
        openWith(QStringLiteral("gnome-control-center"), {QStringLiteral("privacy")});
    } else if (desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive)) {
        // Plasma's Application Permissions page, where it is installed, keeps
        // what applications may do through the portals; without it there is
        // no page to open.
        const QString module = QStringLiteral("kcm_app-permissions");
        if (!findApplication(module + QStringLiteral(".desktop")).isEmpty())
            openWith(QStringLiteral("systemsettings"), {module});
    }
    return setup;
}

bool ScreenRegionCapture::requestPermission()
{
    const PermissionSetup setup = permissionSetup();
    return setup.hasSettings() && QProcess::startDetached(setup.settingsProgram, setup.settingsArguments);
}

Error ScreenRegionCapture::permissionError()
{
    return Error{Domain, 1, QStringLiteral("请先在系统设置的“录屏与系统录音”中允许当前应用，再重新打开应用。")};
}

Result<QImage> ScreenRegionCapture::decodeCapture(const QString &path)
{
    QImageReader reader(path);
    // The size comes from the header, so an oversized capture is refused undecoded.
    const QSize size = reader.size();
    if (!reader.canRead() || !ImageDecoding::withinLimit(size))
        return unreadableImage();
    ImageDecoding::allowImagesWithinLimit();
    QImage image = reader.read();
    if (image.isNull() || image.size() != size)
        return unreadableImage();
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb)
        image.convertToColorSpace(QColorSpace::SRgb);
    QImage pixels = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pixels.isNull())
        return Error{Domain, 2, QStringLiteral("截图像素解码失败，请重试。")};
    pixels.setColorSpace(QColorSpace::SRgb);
    return pixels;
}

QFuture<ScreenRegionCapture::Outcome> ScreenRegionCapture::capture()
{
    auto promise = std::make_shared<QPromise<Outcome>>();
    promise->start();
    QFuture<Outcome> future = promise->future();
    const auto finish = [promise](Outcome outcome) {
        promise->addResult(std::move(outcome));
        promise->finish();
    };

    if (m_process) {
        finish(Error{Domain, 2, QStringLiteral("截图选区正在进行，请先完成或按 Esc 取消。")});
        return future;
    }
    if (!permissionGranted()) {
        finish(permissionError());
        return future;
    }
    auto folder = std::make_shared<CaptureFolder>();
    if (const Result<void> created = folder->create(); !created.ok()) {
        finish(created.error());
        return future;
    }

    m_process = std::make_unique<QProcess>();
    QProcess *process = m_process.get();
    // Its overlay covers every screen and holds the keyboard: it must not
    // outlive the application, even one that is killed.
    ChildProcess::endWithThisProcess(*process);
    process->setProgram(m_selectorPath);
    process->setArguments({QStringLiteral("-i"), QStringLiteral("-s"), QStringLiteral("-x"), QStringLiteral("-t"),
                           QStringLiteral("png"), folder->regionFile()});
    process->setProcessChannelMode(QProcess::ForwardedOutputChannel);

    // The folder lives until the outcome is decided; the process object until
    // control has left its signal.
    const auto end = [this, folder, finish](Outcome outcome) {
        m_process.release()->deleteLater();
        finish(std::move(outcome));
    };
    connect(process, &QProcess::finished, this, [this, process, folder, end](int exitCode, QProcess::ExitStatus) {
        const QString errorText = decodeStandardError(process->readAllStandardError());
        const bool captured = exitCode == 0 && process->exitStatus() == QProcess::NormalExit
                              && QFileInfo::exists(folder->regionFile());
        if (!captured) {
            if (errorText.contains(QLatin1String("could not create image"))
                || errorText.contains(QLatin1String("permission"), Qt::CaseInsensitive))
                end(permissionError());
            else
                end(std::optional<QImage>());
            return;
        }
        Result<QImage> image = decodeCapture(folder->regionFile());
        if (image.ok())
            end(std::optional<QImage>(std::move(image).value()));
        else
            end(image.error());
    });
    connect(process, &QProcess::errorOccurred, this, [process, end](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(Error{QStringLiteral("QProcess"), qint64(error), process->errorString()});
    });
    process->start();
    return future;
}

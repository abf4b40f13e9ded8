#include "NativeUpdater.h"

#include "NativeUpdateDownload.h"
#include "NativeUpdateInstaller.h"
#include "NativeUpdatePolicy.h"
#include "TrustedAuthorities.h"
#include "UpdaterLocalization.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

// What the updater did and why, for whoever looks into an update that did not come.
Q_LOGGING_CATEGORY(lcUpdater, "vellora.updater", QtWarningMsg)

Error badServerResponse(int status) {
    return Error{QStringLiteral("QNetworkReply"), QNetworkReply::UnknownServerError,
                 QStringLiteral("The server returned HTTP status %1.").arg(status)};
}

// The reply's own failure: a transport error, or a status outside 200-299.
std::optional<Error> replyFailure(QNetworkReply *reply) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return badServerResponse(status.toInt());
    if (reply->error() != QNetworkReply::NoError)
        return Error{QStringLiteral("QNetworkReply"), reply->error(), reply->errorString()};
    if (!status.isValid())
        return badServerResponse(0);
    return std::nullopt;
}

double secondsSince1970() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

} // namespace

NativeUpdater::NativeUpdater(NativeUpdateConfiguration configuration, UserDefaults &userDefaults,
                             QNetworkAccessManager &network, QObject *parent)
    : QObject(parent)
    , m_automaticallyChecksForUpdates(
          userDefaults.boolean(automaticChecksKey(configuration.product)).value_or(false))
    , m_defaultPromptPresenter(std::make_unique<NativeUpdateAlertPresenter>())
    , m_configuration(std::move(configuration))
    , m_userDefaults(userDefaults)
    , m_network(network)
    , m_runningBundle(AppBundle::main())
    , m_terminate([] { QCoreApplication::quit(); }) {}

NativeUpdater::~NativeUpdater() {
    // A request still running ends without reaching an updater that is going.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
    }
}

QString NativeUpdater::automaticChecksKey(const QString &product) {
    return QStringLiteral("NativeUpdater.") + product + QStringLiteral(".automaticallyChecksForUpdates");
}

QString NativeUpdater::promptKey(const QString &product, qint64 build) {
    return QStringLiteral("NativeUpdater.") + product + QStringLiteral(".prompt.") + QString::number(build);
}

void NativeUpdater::setAutomaticallyChecksForUpdates(bool on) {
    if (on == m_automaticallyChecksForUpdates)
        return;
    m_automaticallyChecksForUpdates = on;
    m_userDefaults.setBoolean(automaticChecksKey(m_configuration.product), on);
    refreshAutomaticChecks();
    emit automaticallyChecksForUpdatesChanged(on);
    emit changed();
}

void NativeUpdater::setPreferredLanguages(const std::optional<QStringList> &languages) {
    if (languages == m_preferredLanguages)
        return;
    m_preferredLanguages = languages;
    emit preferredLanguagesChanged();
    emit changed();
}

void NativeUpdater::setSchedule(std::chrono::milliseconds firstCheckDelay, std::chrono::milliseconds interval) {
    m_firstCheckDelay = firstCheckDelay;
    m_checkInterval = interval;
}

void NativeUpdater::startAutomaticChecks() {
    m_automaticChecksRequested = true;
    refreshAutomaticChecks();
}

void NativeUpdater::refreshAutomaticChecks() {
    delete m_delayedCheck;
    m_delayedCheck = nullptr;
    delete m_timer;
    m_timer = nullptr;
    if (!m_configuration.isEnabled || !m_automaticChecksRequested || !m_automaticallyChecksForUpdates)
        return;
    // Children of the updater: they end with it, and so do their checks.
    m_delayedCheck = new QTimer(this);
    m_delayedCheck->setSingleShot(true);
    m_delayedCheck->setTimerType(Qt::PreciseTimer);
    connect(m_delayedCheck, &QTimer::timeout, this, [this] { checkForUpdates(false, true); });
    m_delayedCheck->start(m_firstCheckDelay);
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] { checkForUpdates(false, true); });
    m_timer->start(m_checkInterval);
}

void NativeUpdater::setState(const NativeUpdateState &state) {
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(m_state);
    emit changed();
}

void NativeUpdater::setDownloadProgress(std::optional<double> progress) {
    if (progress == m_downloadProgress)
        return;
    m_downloadProgress = progress;
    emit downloadProgressChanged(progress);
    emit changed();
}

void NativeUpdater::setRestarting(bool restarting) {
    if (restarting == m_isRestarting)
        return;
    m_isRestarting = restarting;
    emit isRestartingChanged(restarting);
    emit changed();
}

void NativeUpdater::checkForUpdates(bool manual, bool presentErrors) {
    if (m_isRestarting)
        return;
    if (!m_configuration.isEnabled) {
        if (manual)
            present(copy(QStringLiteral("开发版不检查正式更新。")), NativeUpdateAlertStyle::informational);
        return;
    }
    if (m_requestInFlight)
        return;
    qCInfo(lcUpdater) << (manual ? "manual" : "automatic") << "update check of" << m_configuration.manifestURL;
    m_requestInFlight = true;
    setState(NativeUpdateState::checking());
    TrustedAuthorities::withConfiguration(this, [this, manual, presentErrors](const std::optional<QSslConfiguration> &tls) {
        sendCheck(manual, presentErrors, tls);
    });
}

void NativeUpdater::sendCheck(bool manual, bool presentErrors, const std::optional<QSslConfiguration> &tls) {
    QNetworkRequest request(m_configuration.manifestURL);
    // Always the published file, never a cached copy.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(static_cast<int>(ManifestTimeout.count()));
    if (tls)
        request.setSslConfiguration(*tls);
    QNetworkReply *reply = m_network.get(request);
    reply->setParent(this);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaximumManifestBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, manual, presentErrors] { finishCheck(reply, manual, presentErrors); });
}

void NativeUpdater::finishCheck(QNetworkReply *reply, bool manual, bool presentErrors) {
    reply->deleteLater();
    const auto decided = [&]() -> Result<NativeUpdateManifest> {
        if (const std::optional<Error> failure = replyFailure(reply))
            return *failure;
        Result<NativeUpdateManifest> manifest = NativeUpdateManifest::decode(reply->readAll());
        if (!manifest)
            return manifest;
        if (const Result<void> valid = NativeUpdatePolicy::validate(manifest.value(), m_configuration); !valid)
            return valid.error();
        return manifest;
    }();

    if (!decided) {
        qCInfo(lcUpdater) << "update check failed:" << decided.error().description;
        const QString message = copy(QStringLiteral("检查更新失败：%@"), {describe(decided.error())});
        setState(NativeUpdateState::failed(message));
        m_requestInFlight = false;
        if (manual && presentErrors)
            present(message, NativeUpdateAlertStyle::warning);
        return;
    }
    const NativeUpdateManifest &manifest = decided.value();
    qCInfo(lcUpdater) << "update check found build" << manifest.build << "running build"
                      << NativeUpdatePolicy::runningBuild(m_runningBundle);
    if (NativeUpdatePolicy::isNewer(manifest, NativeUpdatePolicy::runningBuild(m_runningBundle))) {
        m_availableManifest = manifest;
        setState(NativeUpdateState::available(manifest.version));
        m_requestInFlight = false;
        if (manual) {
            presentAvailable(manifest, presentErrors);
        } else if (m_automaticallyChecksForUpdates) {
            const QString shown = m_userDefaults.string(promptKey(m_configuration.product, manifest.build)).value_or(QString());
            if (secondsSince1970() - shown.toDouble() >= static_cast<double>(PromptInterval.count()))
                presentAvailable(manifest, presentErrors);
        }
        return;
    }
    setState(NativeUpdateState::current());
    m_requestInFlight = false;
    if (manual)
        present(copy(QStringLiteral("%@ 已经是最新版本。"), {m_configuration.appName}),
                NativeUpdateAlertStyle::informational);
}

void NativeUpdater::presentAvailable(const NativeUpdateManifest &manifest, bool presentErrors) {
    m_userDefaults.setString(promptKey(m_configuration.product, manifest.build),
                             QString::number(secondsSince1970(), 'f', 3));
    QPointer<NativeUpdater> self(this);
    show(NativeUpdatePrompt::available(manifest, m_configuration.appName, m_preferredLanguages),
         NativeUpdateAlertStyle::informational, [self, manifest, presentErrors](bool accepted) {
             if (accepted && self)
                 self->download(manifest, presentErrors);
         });
}

void NativeUpdater::download(const NativeUpdateManifest &manifest, bool presentErrors) {
    if (m_requestInFlight)
        return;
    m_requestInFlight = true;
    setDownloadProgress(0.0);
    setState(NativeUpdateState::downloading(manifest.version));
    TrustedAuthorities::withConfiguration(
        this, [this, manifest, presentErrors](const std::optional<QSslConfiguration> &tls) {
            sendDownload(manifest, presentErrors, tls);
        });
}

void NativeUpdater::sendDownload(const NativeUpdateManifest &manifest, bool presentErrors,
                                 const std::optional<QSslConfiguration> &tls) {
    QNetworkRequest request(manifest.downloadURL);
    if (tls)
        request.setSslConfiguration(*tls);
    QNetworkReply *reply = m_network.get(request);
    reply->setParent(this);
    m_reply = reply;
    m_download.reset();
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        // A redirect's own headers come first; the length that counts is the final response's.
        if (m_download && m_download->size() > 0)
            return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        m_download = std::make_unique<NativeUpdateDownload>(length.isValid() ? length.toLongLong() : 0);
        if (!m_download->knowsLength())
            setDownloadProgress(std::nullopt);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!m_download || (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)))
            return; // an error page: judged when it ends
        const std::optional<double> progress = m_download->append(reply->readAll());
        if (m_download->size() > MaximumArchiveBytes) {
            reply->abort();
            return;
        }
        if (progress)
            setDownloadProgress(progress);
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, manifest, presentErrors] { finishDownload(reply, manifest, presentErrors); });
}

void NativeUpdater::finishDownload(QNetworkReply *reply, const NativeUpdateManifest &manifest, bool presentErrors) {
    reply->deleteLater();
    std::unique_ptr<NativeUpdateDownload> received = std::move(m_download);
    if (received && received->size() > MaximumArchiveBytes) {
        downloadFailed(NativeUpdateInstaller::error(NativeUpdateInstaller::Failure::invalidArchive), presentErrors);
        return;
    }
    if (const std::optional<Error> failure = replyFailure(reply)) {
        downloadFailed(*failure, presentErrors);
        return;
    }
    if (!received)
        received = std::make_unique<NativeUpdateDownload>(0);
    received->append(reply->readAll());
    if (const std::optional<double> progress = received->finish())
        setDownloadProgress(progress);

    // Unpacking, hashing and the signature check wait on files and child
    // processes: off the GUI thread, touching nothing of the updater.
    const QByteArray body = received->body();
    received.reset();
    QtConcurrent::run(&NativeUpdateInstaller::prepare, body, manifest, m_configuration, BundleArchive::Limits{})
        .then(this, [this, manifest, presentErrors](const Result<QString> &staged) {
            if (!staged) {
                downloadFailed(staged.error(), presentErrors);
                return;
            }
            m_stagedApplication = staged.value();
            setState(NativeUpdateState::ready(manifest.version));
            presentReady(manifest);
            m_requestInFlight = false;
            setDownloadProgress(std::nullopt);
        });
}

void NativeUpdater::downloadFailed(const Error &error, bool presentErrors) {
    qCInfo(lcUpdater) << "update download failed:" << error.domain << error.description;
    const QString message = copy(QStringLiteral("下载更新失败：%@"), {describe(error)});
    setState(NativeUpdateState::failed(message));
    if (presentErrors)
        present(message, NativeUpdateAlertStyle::warning);
    m_requestInFlight = false;
    setDownloadProgress(std::nullopt);
}

void NativeUpdater::presentReady(const NativeUpdateManifest &manifest) {
    QPointer<NativeUpdater> self(this);
    show(NativeUpdatePrompt::ready(manifest, m_configuration.appName, m_preferredLanguages),
         NativeUpdateAlertStyle::informational, [self](bool accepted) {
             if (accepted && self)
                 self->restartAndInstall();
         });
}

void NativeUpdater::restartAndInstall() {
    if (!m_stagedApplication || m_isRestarting)
        return;
    setRestarting(true);
    QTimer::singleShot(0, this, [this] {
        if (!m_prepareForRestart) {
            launchHelper({});
            return;
        }
        m_prepareForRestart().then(this, [this](const Result<void> &prepared) { launchHelper(prepared); });
    });
}

void NativeUpdater::launchHelper(const Result<void> &preparation) {
    Result<void> started = preparation;
    if (started && !m_runningBundle)
        started = Error{QStringLiteral("NativeUpdater"), 1, QStringLiteral("This copy runs from no installed bundle.")};
    if (started)
        started = NativeUpdateInstaller::launchHelper(*m_stagedApplication, m_runningBundle->path());
    if (started) {
        // After this task: the helper waits for this process to end.
        QMetaObject::invokeMethod(this, [this] { m_terminate(); }, Qt::QueuedConnection);
        return;
    }
    if (m_restartPreparationDidFail)
        m_restartPreparationDidFail();
    setRestarting(false);
    const QString message = copy(QStringLiteral("无法启动更新：%@"), {describe(started.error())});
    setState(NativeUpdateState::failed(message));
    present(message, NativeUpdateAlertStyle::warning);
}

void NativeUpdater::performPrimaryAction(bool presentErrors) {
    if (m_isRestarting)
        return;
    switch (m_state.kind) {
    case NativeUpdateState::Kind::ready:
        restartAndInstall();
        return;
    case NativeUpdateState::Kind::available:
        if (m_availableManifest)
            download(*m_availableManifest, presentErrors);
        return;
    default:
        checkForUpdates(true, presentErrors);
    }
}

void NativeUpdater::openUpdateHistory() {
    QDesktopServices::openUrl(updateHistoryURL());
}

QUrl NativeUpdater::updateHistoryURL() const {
    return m_configuration.changelogURL(UpdaterLocalization::localeKey(UpdaterLocalization::language(m_preferredLanguages)));
}

QString NativeUpdater::statusText() const {
    using Kind = NativeUpdateState::Kind;
    if (m_isRestarting)
        return copy(QStringLiteral("正在准备重启…"));
    if (!m_configuration.isEnabled)
        return copy(QStringLiteral("开发版不自动更新"));
    switch (m_state.kind) {
    case Kind::idle:
        return copy(m_automaticallyChecksForUpdates ? QStringLiteral("自动提示新版已开启")
                                                    : QStringLiteral("自动提示新版已关闭"));
    case Kind::checking:
        return copy(QStringLiteral("正在检查更新…"));
    case Kind::current:
        return copy(m_automaticallyChecksForUpdates ? QStringLiteral("已经是最新版本")
                                                    : QStringLiteral("自动提示新版已关闭"));
    case Kind::available:
        return copy(QStringLiteral("发现新版本 %@"), {m_state.text});
    case Kind::downloading:
        return downloadingStatusText(copy(QStringLiteral("正在下载 %@…"), {m_state.text}), m_downloadProgress);
    case Kind::ready:
        return copy(QStringLiteral("%@ 已下载，等待重启"), {m_state.text});
    case Kind::failed:
        return m_state.text;
    }
    return {};
}

QString NativeUpdater::actionTitle() const {
    switch (m_state.kind) {
    case NativeUpdateState::Kind::ready:
        return copy(QStringLiteral("重启并更新"));
    case NativeUpdateState::Kind::available:
        return copy(QStringLiteral("下载更新"));
    default:
        return copy(QStringLiteral("检查更新"));
    }
}

bool NativeUpdater::actionDisabled() const {
    return m_isRestarting || m_state.kind == NativeUpdateState::Kind::checking
           || m_state.kind == NativeUpdateState::Kind::downloading;
}

QString NativeUpdater::downloadingStatusText(const QString &base, std::optional<double> progress) {
    if (!progress)
        return base;
    const long long percent = std::clamp(std::llround(*progress * 100.0), 0LL, 100LL);
    return base + u' ' + QString::number(percent) + u'%';
}

void NativeUpdater::present(const QString &message, NativeUpdateAlertStyle style) {
    show(NativeUpdatePrompt::message(message, m_preferredLanguages), style, [](bool) {});
}

void NativeUpdater::show(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style, Completion completion) {
    if (m_promptPresenter)
        m_promptPresenter(prompt, std::move(completion));
    else
        m_defaultPromptPresenter->present(prompt, style, std::move(completion));
}

QString NativeUpdater::describe(const Error &error) const {
    // The updater's own failures in the updater's language, like the message around them.
    if (error.domain == NativeUpdatePolicy::FailureDomain)
        return copy(NativeUpdatePolicy::failureKey(static_cast<NativeUpdatePolicy::Failure>(error.code)));
    if (error.domain == NativeUpdateInstaller::FailureDomain)
        return copy(NativeUpdateInstaller::failureKey(static_cast<NativeUpdateInstaller::Failure>(error.code)));
    return error.description;
}

QString NativeUpdater::copy(const QString &key) const {
    return updaterCopy(key, m_preferredLanguages);
}

QString NativeUpdater::copy(const QString &key, const QStringList &values) const {
    return updaterCopyFormat(key, m_preferredLanguages, values);
}

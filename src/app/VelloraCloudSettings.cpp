#include "VelloraCloudSettings.h"

#include "NativeAppAppearance.h"
#include "SecureConfigurationFileMonitor.h"
#include "SecureConfigurationRepository.h"
#include "UserDefaults.h"
#include "VelloraDefaultPrompt.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUuid>
#include <QtConcurrent>

#include <type_traits>

namespace {

Q_LOGGING_CATEGORY(lcCloud, "vellora.cloud", QtWarningMsg)

const QString enabledKey = QStringLiteral("iCloudSyncEnabled");
const QString fileName = QStringLiteral("config.json");
const QString folderName = QStringLiteral("Vellora");
// The pause after the last change before the file is written.
constexpr int SaveDelayMs = 350;

// What is at a path: false also when it cannot be checked.
bool exists(const QString &path) {
    return QFileInfo::exists(path);
}

Error unavailableError() {
    return SecureConfiguration::error(SecureConfigurationError::unavailable);
}

} // namespace

// Where the configuration file is, once its folder exists.
struct VelloraCloudSettings::Prepared {
    // No cloud folder exists.
    bool noCloudDrive = false;
    QString path;
    // Made once the folder exists, and kept even when reading the file failed.
    std::shared_ptr<SecureConfigurationRepository> repository;
    std::optional<Error> error;
};

// What the file work of opening the configuration (at launch) found.
struct VelloraCloudSettings::Opened : Prepared {
    // The file's settings and bytes; nothing when the file is not there yet.
    std::optional<std::pair<Configuration, QByteArray>> file;
};

// What a reload's file work found.
struct VelloraCloudSettings::Reloaded {
    // Nothing new: the bytes are the ones last read or written.
    bool unchanged = false;
    std::optional<std::pair<Configuration, QByteArray>> file;
    std::optional<Error> error;
};

// What the file work of switching on found.
struct VelloraCloudSettings::SwitchedOn : Prepared {
    // The settings in the file (already read and adopted); nothing when the
    // file was created from the local settings.
    std::optional<Configuration> file;
};

VelloraCloudSettings::Locations VelloraCloudSettings::Locations::standard() {
    Locations locations;
    locations.cloudDriveCandidates =
        cloudDriveCandidatesFor(qEnvironmentVariable("VELLORA_CLOUD_DRIVE"), QDir::homePath());
    locations.backupFolder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(QStringLiteral("Vellora/Configuration Backups"));
    return locations;
}

QStringList VelloraCloudSettings::Locations::cloudDriveCandidatesFor(const QString &environmentValue,
                                                                     const QString &home) {
    QStringList candidates;
    if (!environmentValue.isEmpty())
        candidates.append(environmentValue);
    const QDir homeFolder(home);
    for (const char *name :
         {"Library/Mobile Documents/com~apple~CloudDocs", "Nextcloud", "Dropbox", "Sync", "OneDrive"})
        candidates.append(homeFolder.filePath(QLatin1StringView(name)));
    return candidates;
}

std::optional<QString> VelloraCloudSettings::cloudDriveRoot(const QStringList &candidates) {
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return std::nullopt;
}

QStringList VelloraCloudSettings::placeholderNames() {
    // iCloud's placeholder; Nextcloud's and ownCloud's virtual files; the file
    // Syncthing downloads into before it moves it in place.
    return {QStringLiteral(".config.json.icloud"), QStringLiteral("config.json.nextcloud"),
            QStringLiteral("config.json.owncloud"), QStringLiteral(".syncthing.config.json.tmp")};
}

VelloraCloudSettings::VelloraCloudSettings(VelloraPreferences &preferences, NativeAppAppearance &appearance,
                                           UserDefaults &defaults, Locations locations, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_appearance(appearance)
    , m_defaults(defaults)
    , m_locations(std::move(locations))
    , m_enabled(defaults.boolean(enabledKey).value_or(false))
    , m_status{VELLORA_L10N_KEY("仅保存在本机"), std::nullopt} {
    m_fileQueue.setMaxThreadCount(1);
    m_pendingSave.setSingleShot(true);
    m_pendingSave.setInterval(SaveDelayMs);
    connect(&m_pendingSave, &QTimer::timeout, this, &VelloraCloudSettings::persist);
}

VelloraCloudSettings::~VelloraCloudSettings() {
    m_pendingSave.stop();
    m_monitor.reset();
    delete m_choice;
    m_fileQueue.waitForDone();
}

QString VelloraCloudSettings::status() const {
    return m_status.detail ? QString(m_status.key).replace(QStringLiteral("%@"), *m_status.detail) : m_status.key;
}

QString VelloraCloudSettings::statusText(const QString &language) const {
    if (!m_status.detail)
        return velloraLocalized(m_status.key, language);
    return velloraLocalizedFormatIn(language, m_status.key, velloraLocalizedDescription(*m_status.detail, language));
}

void VelloraCloudSettings::setStatus(const QString &key, std::optional<QString> detail) {
    m_status = Status{key, std::move(detail)};
    qCInfo(lcCloud).noquote() << "status:" << status();
    emit statusChanged();
}

template <typename Work, typename Done> void VelloraCloudSettings::runFileWork(Work work, Done done) {
    using Outcome = std::invoke_result_t<Work>;
    const quint64 session = m_session;
    QtConcurrent::run(&m_fileQueue, std::move(work))
        .then(this, [this, session, done = std::move(done)](Outcome result) {
            if (session == m_session)
                done(std::move(result));
        });
}

VelloraCloudSettings::Configuration VelloraCloudSettings::current() const {
    Configuration configuration;
    configuration.aiBaseURL = m_preferences.aiBaseURL();
    configuration.aiModel = m_preferences.aiModel();
    configuration.polishPrompt = m_preferences.polishPrompt();
    configuration.hideMenuBarIcon = m_preferences.hideMenuBarIcon();
    configuration.hideDockIcon = m_preferences.hideDockIcon();
    configuration.shortcut = m_preferences.shortcut();
    configuration.colorMode = m_preferences.colorMode();
    configuration.language = m_preferences.language();
    configuration.accentPalette = m_appearance.selection().rawValue();
    return configuration;
}

void VelloraCloudSettings::apply(const Configuration &configuration) {
    // Values equal to the current ones are left alone: assigning them again
    // would only re-register the hot key or restyle the application.
    m_applying = true;
    VelloraPreferences &preferences = m_preferences;
    if (preferences.aiBaseURL() != configuration.aiBaseURL)
        preferences.setAiBaseURL(configuration.aiBaseURL);
    if (preferences.aiModel() != configuration.aiModel)
        preferences.setAiModel(configuration.aiModel);
    const QString prompt = VelloraDefaultPrompt::migrate(configuration.polishPrompt, configuration.language);
    if (preferences.polishPrompt() != prompt)
        preferences.setPolishPrompt(prompt);
    if (preferences.hideMenuBarIcon() != configuration.hideMenuBarIcon)
        preferences.setHideMenuBarIcon(configuration.hideMenuBarIcon);
    const bool hideDockIcon = configuration.hideDockIcon.value_or(!configuration.hideMenuBarIcon);
    if (preferences.hideDockIcon() != hideDockIcon)
        preferences.setHideDockIcon(hideDockIcon);
    if (preferences.shortcut() != configuration.shortcut)
        preferences.setShortcut(configuration.shortcut);
    if (preferences.colorMode() != configuration.colorMode)
        preferences.setColorMode(configuration.colorMode);
    if (preferences.language() != configuration.language)
        preferences.setLanguage(configuration.language);
    // A palette this version does not know leaves the current one.
    if (const auto palette = NativeAccentPalette::fromRawValue(configuration.accentPalette))
        m_appearance.select(*palette);
    m_applying = false;
}

VelloraCloudSettings::Prepared VelloraCloudSettings::prepare(const QStringList &candidates) {
    Prepared prepared;
    const std::optional<QString> root = cloudDriveRoot(candidates);
    if (!root) {
        prepared.noCloudDrive = true;
        return prepared;
    }
    const QString folder = QDir(*root).filePath(folderName);
    prepared.path = QDir(folder).filePath(fileName);
    if (const Result<void> made = SecureConfigurationRepository::createDirectory(folder); !made) {
        prepared.error = made.error();
        return prepared;
    }
    prepared.repository = std::make_shared<SecureConfigurationRepository>(prepared.path);
    return prepared;
}

void VelloraCloudSettings::startIfEnabled() {
    if (!m_enabled)
        return;
    endSession();
    const QStringList candidates = m_locations.cloudDriveCandidates;
    runFileWork(
        [candidates] {
            Opened opened{prepare(candidates), std::nullopt};
            if (opened.noCloudDrive)
                opened.error = unavailableError();
            if (opened.error || !exists(opened.path))
                return opened;
            // Decoded before it is adopted: a file this version cannot read
            // (a newer format, a broken edit) must not become the file that
            // later writes are allowed to replace.
            const Result<QByteArray> bytes = SecureConfigurationRepository::readData(opened.path);
            if (!bytes) {
                opened.error = bytes.error();
                return opened;
            }
            const Result<Configuration> configuration = Configuration::decode(bytes.value());
            if (!configuration) {
                opened.error = configuration.error();
                return opened;
            }
            if (const Result<QByteArray> adopted = opened.repository->adopt(bytes.value()); !adopted) {
                opened.error = adopted.error();
                return opened;
            }
            opened.file = std::pair(configuration.value(), bytes.value());
            return opened;
        },
        [this](Opened opened) {
            m_repository = opened.repository;
            m_configurationPath = opened.path;
            if (opened.error) {
                setStatus(VELLORA_L10N_KEY("iCloud 配置暂不可用：%@"), opened.error->description);
            } else if (opened.file) {
                apply(opened.file->first);
                setStatus(VELLORA_L10N_KEY("已从 iCloud 同步"));
            } else {
                setStatus(VELLORA_L10N_KEY("等待 iCloud 配置下载；不会覆盖云端文件。"));
            }
            // Watched also after a failure once the folder exists, so that a
            // resolved conflict or a repaired file is picked up.
            if (m_repository)
                startMonitoring();
        });
}

void VelloraCloudSettings::setEnabled(bool on) {
    if (m_switching) {
        // Switching off while switching on abandons it.
        if (!on) {
            closeChoice();
            endSession();
            m_switching = false;
            emit enabledChanged(m_enabled);
        }
        return;
    }
    if (on == m_enabled)
        return;

    if (!on) {
        // The pending write still goes out, while sync is still on.
        flushPendingSave();
        endSession();
        m_enabled = false;
        m_defaults.setBoolean(enabledKey, false);
        setStatus(VELLORA_L10N_KEY("仅保存在本机"));
        emit enabledChanged(false);
        return;
    }

    m_switching = true;
    endSession();
    const QStringList candidates = m_locations.cloudDriveCandidates;
    const Result<QByteArray> local = current().encoded();
    runFileWork(
        [candidates, local] {
            SwitchedOn result{prepare(candidates), std::nullopt};
            if (result.noCloudDrive || result.error)
                return result;
            if (exists(result.path)) {
                const Result<QByteArray> bytes = result.repository->read();
                if (!bytes) {
                    result.error = bytes.error();
                    return result;
                }
                const Result<Configuration> configuration = Configuration::decode(bytes.value());
                if (!configuration) {
                    result.error = configuration.error();
                    return result;
                }
                result.file = configuration.value();
                return result;
            }
            // In the cloud but not on this machine yet: it must not be overwritten.
            for (const QString &placeholder : placeholderNames()) {
                if (exists(QFileInfo(result.path).dir().filePath(placeholder))) {
                    result.error = unavailableError();
                    return result;
                }
            }
            if (!local) {
                result.error = local.error();
                return result;
            }
            if (const Result<void> written = result.repository->write(local.value()); !written)
                result.error = written.error();
            return result;
        },
        [this](SwitchedOn result) {
            if (result.noCloudDrive)
                return failEnabling(VELLORA_L10N_KEY("未找到 iCloud Drive，请先在系统设置中开启。"), std::nullopt);
            if (result.error)
                return failEnabling(VELLORA_L10N_KEY("iCloud 配置不可用：%@"), result.error->description);
            if (result.file && !(*result.file == current()))
                return askForChoice(result.repository, result.path, *result.file);
            finishEnabling(result.repository, result.path);
        });
}

void VelloraCloudSettings::finishEnabling(std::shared_ptr<SecureConfigurationRepository> repository,
                                          const QString &path) {
    m_switching = false;
    m_repository = std::move(repository);
    m_configurationPath = path;
    m_enabled = true;
    m_defaults.setBoolean(enabledKey, true);
    setStatus(VELLORA_L10N_KEY("已启用 iCloud 同步"));
    startMonitoring();
    emit enabledChanged(true);
}

void VelloraCloudSettings::failEnabling(const QString &key, std::optional<QString> detail) {
    m_switching = false;
    endSession();
    setStatus(key, std::move(detail));
    emit enabledChanged(false);
}

void VelloraCloudSettings::askForChoice(std::shared_ptr<SecureConfigurationRepository> repository, const QString &path,
                                        const Configuration &fromFile) {
    const QString language = m_preferences.language();
    auto *dialog = new QMessageBox(QApplication::activeWindow());
    dialog->setObjectName(QStringLiteral("cloudChoiceDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setIcon(QMessageBox::Information);
    dialog->setWindowTitle(QStringLiteral("Vellora"));
    dialog->setText(velloraLocalized(QStringLiteral("iCloud 中已有 Vellora 配置"), language));
    dialog->setInformativeText(
        velloraLocalized(QStringLiteral("选择要保留的配置。API Key、授权和屏幕录制权限不会同步。"), language));
    QPushButton *useCloud =
        dialog->addButton(velloraLocalized(QStringLiteral("使用 iCloud 配置"), language), QMessageBox::AcceptRole);
    useCloud->setObjectName(QStringLiteral("useCloudConfiguration"));
    QPushButton *useLocal = dialog->addButton(velloraLocalized(QStringLiteral("用当前配置替换 iCloud"), language),
                                              QMessageBox::DestructiveRole);
    useLocal->setObjectName(QStringLiteral("replaceCloudConfiguration"));
    QPushButton *cancel =
        dialog->addButton(velloraLocalized(QStringLiteral("取消"), language), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelCloudChoice"));
    dialog->setDefaultButton(useCloud);
    dialog->setEscapeButton(cancel);
    m_choice = dialog;

    const quint64 session = m_session;
    connect(
        dialog, &QMessageBox::finished, this, [this, dialog, session, useCloud, useLocal, repository, path, fromFile] {
            if (session != m_session || m_choice != dialog)
                return;
            m_choice = nullptr;
            QAbstractButton *clicked = dialog->clickedButton();
            if (clicked == useCloud) {
                apply(fromFile);
                finishEnabling(repository, path);
            } else if (clicked == useLocal) {
                const Result<QByteArray> local = current().encoded();
                if (!local)
                    return failEnabling(VELLORA_L10N_KEY("iCloud 配置不可用：%@"), local.error().description);
                const QString backup = QDir(m_locations.backupFolder)
                                           .filePath(QStringLiteral("icloud-") +
                                                     QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                                                     QStringLiteral(".json"));
                runFileWork([repository, bytes = local.value(), backup] { return repository->replace(bytes, backup); },
                            [this, repository, path](const Result<void> &replaced) {
                                if (!replaced)
                                    return failEnabling(VELLORA_L10N_KEY("iCloud 配置不可用：%@"),
                                                        replaced.error().description);
                                finishEnabling(repository, path);
                            });
            } else {
                // Cancelled: sync stays off and the status as it was.
                m_switching = false;
                endSession();
                emit enabledChanged(false);
            }
        });
    dialog->open();
}

void VelloraCloudSettings::closeChoice() {
    if (QMessageBox *dialog = m_choice) {
        m_choice = nullptr;
        dialog->close();
    }
}

void VelloraCloudSettings::endSession() {
    ++m_session;
    m_monitor.reset();
    m_repository.reset();
    m_configurationPath.clear();
    m_reloading = false;
    m_reloadAgain = false;
}

void VelloraCloudSettings::save() {
    if (!m_enabled || m_applying)
        return;
    ++m_localChanges;
    m_pendingSave.start();
}

void VelloraCloudSettings::flushPendingSave() {
    if (!m_pendingSave.isActive())
        return;
    m_pendingSave.stop();
    persist();
}

void VelloraCloudSettings::waitForFileWork() {
    m_fileQueue.waitForDone();
}

void VelloraCloudSettings::persist() {
    if (!m_enabled || m_applying || !m_repository)
        return;
    const Result<QByteArray> bytes = current().encoded();
    if (!bytes)
        return setStatus(VELLORA_L10N_KEY("iCloud 保存失败：%@"), bytes.error().description);
    // The file is never created here: it may be in the cloud without being
    // on this machine yet.
    enum class Outcome { Written, Missing };
    runFileWork(
        [repository = m_repository, bytes = bytes.value()]() -> Result<Outcome> {
            if (!exists(repository->path()))
                return Outcome::Missing;
            if (const Result<void> written = repository->write(bytes); !written)
                return written.error();
            return Outcome::Written;
        },
        [this](const Result<Outcome> &outcome) {
            if (!outcome)
                setStatus(VELLORA_L10N_KEY("iCloud 保存失败：%@"), outcome.error().description);
            else if (outcome.value() == Outcome::Missing)
                setStatus(VELLORA_L10N_KEY("等待 iCloud 配置下载；不会覆盖云端文件。"));
            else
                setStatus(VELLORA_L10N_KEY("已同步到 iCloud"));
        });
}

void VelloraCloudSettings::reload() {
    if (!m_enabled || m_pendingSave.isActive() || !m_repository)
        return;
    if (m_reloading) {
        m_reloadAgain = true;
        return;
    }
    m_reloading = true;
    const quint64 localChanges = m_localChanges;
    runFileWork(
        [repository = m_repository] {
            Reloaded reloaded;
            const Result<QByteArray> bytes = SecureConfigurationRepository::readData(repository->path());
            if (!bytes) {
                reloaded.error = bytes.error();
                return reloaded;
            }
            if (repository->isCurrent(bytes.value())) {
                reloaded.unchanged = true;
                return reloaded;
            }
            const Result<Configuration> configuration = Configuration::decode(bytes.value());
            if (!configuration) {
                reloaded.error = configuration.error();
                return reloaded;
            }
            reloaded.file = std::pair(configuration.value(), bytes.value());
            return reloaded;
        },
        [this, localChanges](Reloaded reloaded) {
            m_reloading = false;
            // A local change came in meanwhile: its write goes first, and is
            // refused if the file really changed (nothing applied, nothing adopted).
            if (localChanges == m_localChanges && !m_pendingSave.isActive()) {
                if (reloaded.error) {
                    setStatus(VELLORA_L10N_KEY("iCloud 配置暂不可用：%@"), reloaded.error->description);
                } else if (reloaded.file) {
                    apply(reloaded.file->first);
                    // Adopted after applying, in the same order as any later write.
                    runFileWork([repository = m_repository,
                                 bytes = reloaded.file->second] { return repository->adopt(bytes).ok(); },
                                [](bool) {});
                    setStatus(VELLORA_L10N_KEY("已从 iCloud 同步"));
                }
            }
            if (std::exchange(m_reloadAgain, false))
                reload();
        });
}

void VelloraCloudSettings::startMonitoring() {
    m_monitor.reset();
    m_monitor = std::make_unique<SecureConfigurationFileMonitor>(m_configurationPath, [this] { reload(); });
    m_monitor->start();
}

#include "VelloraUpdatesSettingsView.h"

#include "NativeAppVersion.h"
#include "NativeUpdater.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int ProgressSteps = 1000;

} // namespace

VelloraUpdatesSettingsView::VelloraUpdatesSettingsView(NativeUpdater &updater, VelloraPreferences &preferences,
                                                       QWidget *parent)
    : QWidget(parent)
    , m_updater(updater)
    , m_preferences(preferences)
    , m_version(new QLabel)
    , m_status(new SettingsCaption)
    , m_progress(new QProgressBar)
    , m_automatic(new SettingsSwitch)
    , m_action(new QPushButton)
    , m_history(new QPushButton) {
    setObjectName(QStringLiteral("updatesTab"));
    m_version->setObjectName(QStringLiteral("versionLabel"));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setObjectName(QStringLiteral("updateStatus"));
    m_progress->setObjectName(QStringLiteral("downloadProgress"));
    m_progress->setRange(0, ProgressSteps);
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(6);
    m_automatic->setObjectName(QStringLiteral("automaticallyChecksForUpdates"));
    m_action->setObjectName(QStringLiteral("updateAction"));
    m_history->setObjectName(QStringLiteral("updateHistory"));

    auto *section = new SettingsSection;
    m_texts.bindText(section->titleLabel(), VELLORA_L10N_KEY("软件更新"));
    section->addGroup({m_version, m_status, m_progress});
    auto *automaticLabel = new QLabel;
    m_texts.bindText(automaticLabel, VELLORA_L10N_KEY("自动检查更新"));
    m_texts.bind(m_automatic, VELLORA_L10N_KEY("自动检查更新"),
                 [this](const QString &text) { m_automatic->setAccessibleName(text); });
    section->addLabeledRow(automaticLabel, m_automatic);
    m_texts.bindText(m_history, VELLORA_L10N_KEY("查看完整更新日志"));
    section->addRow(SettingsSection::buttonRow({m_action, m_history}));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 12, 12, 12);
    layout->addWidget(section);
    layout->addStretch(1);

    m_automatic->setChecked(m_updater.automaticallyChecksForUpdates());
    connect(m_automatic, &SettingsSwitch::toggled, &m_updater, &NativeUpdater::setAutomaticallyChecksForUpdates);
    connect(&m_updater, &NativeUpdater::automaticallyChecksForUpdatesChanged, m_automatic, &SettingsSwitch::setChecked);
    connect(m_action, &QPushButton::clicked, &m_updater, [this] { m_updater.performPrimaryAction(false); });
    connect(m_history, &QPushButton::clicked, &m_updater, &NativeUpdater::openUpdateHistory);
    connect(&m_updater, &NativeUpdater::changed, this, &VelloraUpdatesSettingsView::refresh);
    connect(&m_preferences, &VelloraPreferences::languageChanged, this, &VelloraUpdatesSettingsView::retranslate);
    retranslate();
}

VelloraUpdatesSettingsView::~VelloraUpdatesSettingsView() = default;

void VelloraUpdatesSettingsView::retranslate() {
    m_texts.apply(m_preferences.language());
    refresh();
}

void VelloraUpdatesSettingsView::refresh() {
    // The updater's own texts are already in the interface language it was given.
    m_version->setText(NativeAppVersion::displayText(m_updater.runningBundle(), m_updater.preferredLanguages()));
    m_status->setText(m_updater.statusText());
    const std::optional<double> progress = m_updater.downloadProgress();
    m_progress->setVisible(progress.has_value());
    if (progress)
        m_progress->setValue(static_cast<int>(std::lround(*progress * ProgressSteps)));
    m_action->setText(m_updater.actionTitle());
    m_action->setEnabled(!m_updater.actionDisabled());
}

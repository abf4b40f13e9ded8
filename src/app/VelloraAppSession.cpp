// The capture session: select a region, recognise it off the GUI thread,
// optionally polish the text, and copy it, with a toast and a status line.
#include "VelloraApp.h"

#include "WaylandClipboard.h"

#include "AIKeychain.h"
#include "AppColorScheme.h"
#include "NativeAppAppearance.h"
#include "NativeUpdater.h"
#include "ScreenRegionCapture.h"
#include "TextMetrics.h"
#include "TextPolisher.h"
#include "TextRecognizer.h"
#include "UserDefaults.h"
#include "VelloraCloudSettings.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"
#include "VelloraIcon.h"
#include "VelloraSettingsWindow.h"
#include "VelloraToast.h"
#include "WaylandClipboard.h"
#include "X11TrayColors.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QtConcurrent>

VelloraApp::VelloraApp(const Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_preferences(std::make_unique<VelloraPreferences>(services.defaults, services.secretStore, true,
                                                         services.arguments))
    , m_appearance(std::make_unique<NativeAppAppearance>(NativeAccentPalette::Violet,
                                                         QStringLiteral("vellora.accentPalette"), services.defaults,
                                                         &VelloraIcon::image))
    , m_toast(std::make_unique<VelloraToast>(services.arguments.contains(QStringLiteral("--preview-toast"))))
    , m_regionCapture(std::make_unique<ScreenRegionCapture>(services.selectorPath))
    , m_captureAction(new QAction(this))
    , m_polishAction(new QAction(this))
    , m_messageAction(new QAction(this))
    , m_shortcutAction(new QAction(this))
    , m_currentStatus(QStringLiteral("就绪"))
    , m_hotKeyRoute(services.hotKeys ? HotKeyRoute::KeyGrab : HotKeyRoute::DesktopSettings)
{
    m_toast->setLanguageSource([this] { return language(); });
    m_captureAction->setObjectName(QStringLiteral("captureAction"));
    m_polishAction->setObjectName(QStringLiteral("polishAction"));
    m_messageAction->setObjectName(QStringLiteral("messageAction"));
    m_messageAction->setEnabled(false);
    m_shortcutAction->setObjectName(QStringLiteral("shortcutAction"));
    m_shortcutAction->setEnabled(false);
    m_captureAction->setText(translated(QStringLiteral("选区识字并复制")));
    m_polishAction->setText(translated(QStringLiteral("选区识字并 AI 润色")));
    m_messageAction->setText(statusText());
    connect(m_captureAction, &QAction::triggered, this, &VelloraApp::startCapture);
    connect(m_polishAction, &QAction::triggered, this, &VelloraApp::startPolishedCapture);
}

VelloraApp::~VelloraApp() = default;

QString VelloraApp::language() const
{
    return m_services.defaults.string(QStringLiteral("language")).value_or(QStringLiteral("system"));
}

QString VelloraApp::translated(const QString &key) const
{
    return velloraLocalized(key, language());
}

QString VelloraApp::statusText() const
{
    return translated(m_currentStatus);
}

void VelloraApp::showStatus(const QString &key)
{
    m_currentStatus = key;
    const QString text = statusText();
    m_messageAction->setText(text);
    setToolTip(text);
}

void VelloraApp::setToolTip(const QString &text)
{
    m_toolTip = text;
    emit toolTipChanged(text);
}

void VelloraApp::startCapture()
{
    beginCapture(false);
}

void VelloraApp::startPolishedCapture()
{
    beginCapture(true);
}

void VelloraApp::beginCapture(bool polish)
{
    if (m_captureInProgress || m_keyCheckPending)
        return;
    if (!polish) {
        m_polishAfterCapture = false;
        runSession();
        return;
    }
    // The keyring answers over D-Bus (or behind an unlock prompt): ask it off the
    // GUI thread. A request that arrives meanwhile is dropped like one during a session.
    m_keyCheckPending = true;
    SecretStore *store = &m_services.secretStore;
    QtConcurrent::run([store] { return AIKeychain::read(*store); })
        .then(this, [this](const Result<std::optional<QString>> &key) {
            m_keyCheckPending = false;
            if (m_captureInProgress)
                return;
            // A locked keyring says so; any other keyring failure counts as no key.
            if (!key.ok() && AIKeychain::isLocked(key.error())) {
                m_preferences->setKeyError(key.error().description);
                emit settingsRequested(1);
                showStatus(key.error().description);
                return;
            }
            if (!key.ok() || !key.value().has_value()) {
                emit settingsRequested(1);
                showStatus(QStringLiteral("请先在设置中保存 AI Key"));
                return;
            }
            m_polishAfterCapture = true;
            runSession();
        });
}

void VelloraApp::runSession()
{
    m_captureInProgress = true;
    m_captureAction->setEnabled(false);
    m_polishAction->setEnabled(false);
    showStatus(QStringLiteral("框选要识别的区域"));
    // The engine lets its models go after a rest; loading them again while the
    // user drags keeps the first capture after a rest as quick as the others.
    TextRecognizer::prewarmAsync(m_services.textEngine);
    m_regionCapture->capture().then(this, [this](const ScreenRegionCapture::Outcome &outcome) { onCaptured(outcome); });
}

void VelloraApp::endSession()
{
    m_captureInProgress = false;
    m_captureAction->setEnabled(true);
    m_polishAction->setEnabled(true);
}

void VelloraApp::onCaptured(const ScreenRegionCapture::Outcome &outcome)
{
    if (!outcome.ok()) {
        const Error &error = outcome.error();
        if (error.domain == QLatin1String("Vellora.Capture") && error.code == 1)
            ScreenRegionCapture::requestPermission();
        m_toast->finishProgress();
        endSession();
        showStatus(error.description);
        return;
    }
    if (!outcome.value().has_value()) {
        m_toast->finishProgress();
        endSession();
        showStatus(QStringLiteral("已取消截图"));
        return;
    }

    // The toast goes where the selection was made: the pointer is still there.
    m_toast->setCaptureScreen(QGuiApplication::screenAt(QCursor::pos()));
    m_toast->scheduleProgress(translated(QStringLiteral("正在识别文字…")));
    showStatus(QStringLiteral("正在识别文字…"));
    TextRecognizer::recognizeAsync(m_services.textEngine, *outcome.value())
        .then(this, [this](const Result<QString> &result) { finishRecognition(result); });
}

void VelloraApp::finishRecognition(const Result<QString> &result)
{
    if (!result.ok()) {
        finishRecognitionFailure(QStringLiteral("识别失败"),
                                 velloraLocalizedFormatIn(language(), QStringLiteral("识别失败：%@"),
                                                          result.error().description));
        return;
    }
    // Empty means no characters at all; a text of blanks is still copied.
    if (result.value().isEmpty()) {
        finishRecognitionFailure(QStringLiteral("未识别到文字"), std::nullopt);
        return;
    }
    if (!m_polishAfterCapture) {
        finishCopied(result.value(), false);
        return;
    }
    polish(result.value());
}

void VelloraApp::polish(const QString &text)
{
    showStatus(QStringLiteral("正在 AI 润色…"));
    const QString title = translated(QStringLiteral("正在 AI 润色…"));
    if (m_toast->showingProgress())
        m_toast->show(title, std::nullopt, ToastSymbol::Spinner, VelloraToast::labelColor(), true);
    else
        m_toast->scheduleProgress(title);

    // Later edits in the settings do not affect this session.
    const QString baseURL = m_preferences->aiBaseURL();
    const QString model = m_preferences->aiModel();
    const QString prompt = m_preferences->polishPrompt();
    SecretStore *store = &m_services.secretStore;
    QNetworkAccessManager *network = &m_services.network;

    const auto fail = [this](const QString &description) {
        finishRecognitionFailure(QStringLiteral("AI 润色失败"),
                                 velloraLocalizedFormatIn(language(), QStringLiteral("AI 润色失败：%@"),
                                                          velloraLocalizedDescription(description, language())));
    };
    QtConcurrent::run([store] { return AIKeychain::read(*store); })
        .then(this, [this, text, baseURL, model, prompt, network, fail](const Result<std::optional<QString>> &key) {
            if (!key.ok()) {
                fail(key.error().description);
                return;
            }
            if (!key.value().has_value()) {
                fail(QStringLiteral("请先保存 AI Key。"));
                return;
            }
            TextPolisher::polish(text, baseURL, model, prompt, *key.value(), network)
                .then(this, [this, fail](const Result<QString> &polished) {
                    if (polished.ok())
                        finishCopied(polished.value(), true);
                    else
                        fail(polished.error().description);
                });
        });
}

void VelloraApp::finishRecognitionFailure(const QString &titleKey, const std::optional<QString> &detail)
{
    // The result replaces the progress panel in place, so it comes before finishProgress.
    m_toast->show(translated(titleKey), std::nullopt, ToastSymbol::ExclamationmarkTriangleFill,
                  VelloraToast::warningColor(), false);
    m_toast->finishProgress();
    endSession();
    showStatus(detail.value_or(titleKey));
}

void VelloraApp::finishCopied(const QString &text, bool polished)
{
    // A Wayland client without the keyboard focus cannot set the clipboard itself.
    if (WaylandClipboard::available()) {
        WaylandClipboard::copy(text, this, [this, text, polished](bool copied) { endCopy(text, polished, copied); });
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
    endCopy(text, polished, clipboard->ownsClipboard());
}

void VelloraApp::endCopy(const QString &text, bool polished, bool copied)
{
    if (!copied) {
        m_toast->show(translated(QStringLiteral("复制到剪贴板失败")), std::nullopt,
                      ToastSymbol::ExclamationmarkTriangleFill, VelloraToast::warningColor(), false);
        m_toast->finishProgress();
        endSession();
        showStatus(QStringLiteral("复制到剪贴板失败"));
        return;
    }
    m_toast->showCopied(int(TextMetrics::graphemeCount(text)), polished);
    m_toast->finishProgress();
    endSession();
    showStatus(polished ? QStringLiteral("已复制润色文字") : QStringLiteral("已复制识别文字"));
}

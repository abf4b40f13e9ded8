#include "VelloraToast.h"

#include "ToastPanel.h"
#include "VelloraLocalization.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

VelloraToast::VelloraToast(bool previewResults, QObject *parent)
    : QObject(parent)
    , m_language(velloraStoredLanguage)
{
    m_progressTimer.setSingleShot(true);
    m_progressTimer.setInterval(ProgressDelay);
    m_dismissTimer.setSingleShot(true);
    m_dismissTimer.setInterval(previewResults ? PreviewResultDuration : ResultDuration);
    connect(&m_progressTimer, &QTimer::timeout, this, &VelloraToast::onProgressDue);
    connect(&m_dismissTimer, &QTimer::timeout, this, [this] {
        if (m_panel)
            m_panel->hide();
    });
}

VelloraToast::~VelloraToast() = default;

void VelloraToast::setLanguageSource(std::function<QString()> language)
{
    m_language = std::move(language);
}

void VelloraToast::setTimings(std::chrono::milliseconds progressDelay, std::chrono::milliseconds resultDuration)
{
    m_progressTimer.setInterval(progressDelay);
    m_dismissTimer.setInterval(resultDuration);
}

QColor VelloraToast::successColor()
{
    return isDark(QGuiApplication::palette()) ? QColor(48, 209, 88) : QColor(40, 180, 70);
}

QColor VelloraToast::warningColor()
{
    return isDark(QGuiApplication::palette()) ? QColor(255, 159, 10) : QColor(245, 140, 0);
}

QColor VelloraToast::labelColor()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QScreen *VelloraToast::captureScreen() const
{
    return m_captureScreen;
}

void VelloraToast::setCaptureScreen(QScreen *screen)
{
    m_captureScreen = screen;
}

QWidget *VelloraToast::panel() const
{
    return m_panel.get();
}

void VelloraToast::scheduleProgress(const QString &title)
{
    // A newer request wins: the delay restarts with the new title.
    m_pendingTitle = title;
    m_progressTimer.start();
}

void VelloraToast::onProgressDue()
{
    show(m_pendingTitle, std::nullopt, ToastSymbol::Spinner, labelColor(), true);
}

void VelloraToast::show(const QString &title, const std::optional<QString> &detail, ToastSymbol symbol,
                        const QColor &color, bool progress)
{
    m_dismissTimer.stop();
    m_progressTimer.stop();
    m_showingProgress = progress;
    if (!m_panel)
        m_panel = std::make_unique<ToastPanel>();
    m_panel->setPalette(QGuiApplication::palette());
    m_panel->setContent(title, detail, symbol, color);
    place();
    m_panel->show();
    m_panel->raise();
    if (!progress)
        m_dismissTimer.start();
}

void VelloraToast::showCopied(int characterCount, bool polished)
{
    const QString language = m_language();
    const QString title = velloraLocalized(polished ? QStringLiteral("润色完成，已复制到剪贴板")
                                                    : QStringLiteral("识别成功，已复制到剪贴板"),
                                           language);
    const QString detail = velloraLocalizedFormatIn(language, QStringLiteral("%d 个字 · 按 ⌘V 粘贴"), characterCount);
    show(title, detail, ToastSymbol::CheckmarkCircleFill, successColor(), false);
}

void VelloraToast::finishProgress()
{
    m_progressTimer.stop();
    if (m_showingProgress) {
        if (m_panel)
            m_panel->hide();
        m_showingProgress = false;
    }
    m_captureScreen = nullptr;
}

void VelloraToast::place()
{
    QScreen *screen = m_captureScreen;
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // With no screen at all the panel is shown where it is.
    if (!screen)
        return;
    const QRect frame = screen->geometry();
    const QRect visible = screen->availableGeometry();
    m_panel->setScreen(screen);
    m_panel->move(frame.left() + frame.width() / 2 - PanelWidth / 2, visible.top() + TopMargin);
}

#pragma once

#include "ToastSymbol.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QScreen;
class ToastPanel;

// The capture session's feedback on screen: a small panel near the top of the
// capture's screen that shows progress (after a short delay, so fast work shows
// only its result) and then, in place, the outcome. It never takes focus and lets
// clicks through. Main thread only.
class VelloraToast final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds ProgressDelay{300};
    static constexpr std::chrono::milliseconds ResultDuration{1500};
    static constexpr std::chrono::milliseconds PreviewResultDuration{60000};
    static constexpr int PanelWidth = 360;
    static constexpr int PanelHeight = 82;
    static constexpr int TopMargin = 28;

    // previewResults keeps results up for a minute (the --preview-toast launch option).
    explicit VelloraToast(bool previewResults = false, QObject *parent = nullptr);
    ~VelloraToast() override;

    // Shows a progress panel with this (translated) title after the progress delay,
    // unless another call comes first.
    void scheduleProgress(const QString &title);
    // Shows the panel now. A result (progress false) hides itself after the display time.
    void show(const QString &title, const std::optional<QString> &detail, ToastSymbol symbol, const QColor &color,
              bool progress);
    // The success toast with the number of characters copied.
    void showCopied(int characterCount, bool polished);
    // Ends the progress state: a pending progress is never shown and a visible one
    // is hidden; a result stays until its time is up.
    void finishProgress();

    // The screen the session captured on; the toast shows there.
    QScreen *captureScreen() const;
    void setCaptureScreen(QScreen *screen);
    bool showingProgress() const { return m_showingProgress; }

    // Where the interface language preference comes from; by default the user's
    // standard settings, read afresh for every text.
    void setLanguageSource(std::function<QString()> language);

    // The panel window, created on first use; for placement and tests.
    QWidget *panel() const;
    // Shorter times for tests.
    void setTimings(std::chrono::milliseconds progressDelay, std::chrono::milliseconds resultDuration);

    // The colours of the toast kinds in the current palette.
    static QColor successColor();
    static QColor warningColor();
    static QColor labelColor();

private:
    void onProgressDue();
    void place();

    std::unique_ptr<ToastPanel> m_panel;
    QTimer m_progressTimer;
    QTimer m_dismissTimer;
    QString m_pendingTitle;
    std::function<QString()> m_language;
    QPointer<QScreen> m_captureScreen;
    bool m_showingProgress = false;
};

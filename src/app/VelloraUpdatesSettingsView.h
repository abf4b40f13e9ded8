#pragma once

#include "SettingsControls.h"

#include <QWidget>

class NativeUpdater;
class QProgressBar;
class QPushButton;
class VelloraPreferences;

// The "更新" tab: the running version, the updater's status line and download
// progress, the automatic-check switch, the updater's one action (check,
// download or restart) and the changelog. A view of the NativeUpdater, which
// writes its own texts in the interface language. GUI thread only.
class VelloraUpdatesSettingsView final : public QWidget {
    Q_OBJECT

public:
    // Both must outlive the view.
    VelloraUpdatesSettingsView(NativeUpdater &updater, VelloraPreferences &preferences, QWidget *parent = nullptr);
    ~VelloraUpdatesSettingsView() override;

private:
    void retranslate();
    void refresh();

    NativeUpdater &m_updater;
    VelloraPreferences &m_preferences;
    LocalizedTexts m_texts;
    QLabel *m_version;
    SettingsCaption *m_status;
    QProgressBar *m_progress;
    SettingsSwitch *m_automatic;
    QPushButton *m_action;
    QPushButton *m_history;
};

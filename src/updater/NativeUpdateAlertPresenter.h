#pragma once

#include "NativeUpdatePrompt.h"

#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;
class QVBoxLayout;

enum class NativeUpdateAlertStyle { informational, warning };

// The window of an update prompt, laid out as a desktop alert: the
// application's icon (with a warning badge for failures), the title in bold,
// the detail under it, an optional accessory view (the release notes), and the
// buttons at the bottom right, the first one the default. Its window title is
// the prompt's title. GUI thread only.
class NativeUpdateAlert final : public QDialog {
    Q_OBJECT

public:
    NativeUpdateAlert(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style, QWidget *parent = nullptr);

    NativeUpdateAlertStyle alertStyle() const { return m_style; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *detailLabel() const { return m_detail; }
    // In the prompt's order: primary first.
    const QList<QPushButton *> &buttons() const { return m_buttons; }
    QWidget *accessoryView() const { return m_accessory; }
    // Places a view between the texts and the buttons; the alert owns it.
    void setAccessoryView(QWidget *view);

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateIcon();

    NativeUpdateAlertStyle m_style;
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_detail;
    QVBoxLayout *m_column;
    QWidget *m_accessory = nullptr;
    QList<QPushButton *> m_buttons;
};

// A prompt's alert, built: texts, release notes and buttons.
NativeUpdateAlert *nativeUpdateAlert(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style);

// Shows one prompt at a time as a window of its own and reports the answer:
// true for the first button; false for the second, for closing the window, and
// for a prompt that a newer one replaces. Nothing waits for the answer, and
// each completion runs once. GUI thread only.
class NativeUpdateAlertPresenter final : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(bool accepted)>;

    explicit NativeUpdateAlertPresenter(QObject *parent = nullptr);
    ~NativeUpdateAlertPresenter() override;

    // Answers a prompt still showing with false, then shows this one and returns.
    void present(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style, Completion completion);

    // The alert showing now, if any.
    NativeUpdateAlert *alert() const { return m_alert; }

signals:
    // A prompt was shown (its window is mapped and active).
    void presented(NativeUpdateAlert *alert);

private:
    void finish(bool accepted);

    QPointer<NativeUpdateAlert> m_alert;
    Completion m_completion;
};

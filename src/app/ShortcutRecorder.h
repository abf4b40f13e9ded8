#pragma once

#include "CapturedShortcut.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QKeyEvent;
class VelloraPreferences;

// Sets the global hot key by pressing it: while recording, the key presses
// that reach the application are watched (an application event filter) and
// swallowed; the first one with Super, Ctrl or Alt becomes the `shortcut`
// preference, Escape ends the recording, and a press without one of those
// keeps recording with a hint. `message` holds a localisation key.
//
// The global hot key that is registered now is grabbed by the X server for
// this application and never arrives as a key press; whoever owns the hot key
// releases it while recordingChanged says true and registers it again after.
// GUI thread only.
class ShortcutRecorder final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)

public:
    explicit ShortcutRecorder(QObject *parent = nullptr);
    ~ShortcutRecorder() override;

    bool recording() const { return m_recording; }
    QString message() const { return m_message; }

    // Starts recording into preferences, or stops when recording already.
    void toggle(VelloraPreferences &preferences);
    // Ends recording and clears the message.
    void stop();

    // The shortcut a key press stands for, labelled with the key's own name (what
    // it types with no modifier held, so Shift+2 is "2"); nothing for a press
    // that cannot be a hot key's key (a modifier alone, a key without a place in
    // the key-code table). Modifiers are not checked here. `language` is the
    // interface language of a "按键 %d" label.
    static std::optional<CapturedShortcut> shortcutFor(const QKeyEvent &event, const QString &language);

signals:
    void recordingChanged(bool recording);
    void messageChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setMessage(const QString &message);
    void handleKeyPress(const QKeyEvent &event);

    bool m_recording = false;
    QString m_message;
    QPointer<VelloraPreferences> m_preferences;
};

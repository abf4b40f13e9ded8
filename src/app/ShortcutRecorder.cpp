#include "ShortcutRecorder.h"

#include "KeyCodeTable.h"
#include "KeyboardLayout.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

constexpr quint32 MacSpace = 49;
constexpr quint32 MacReturn = 36;
constexpr quint32 MacEscape = 53;
constexpr quint32 RequiredModifiers = CapturedShortcut::Command | CapturedShortcut::Option | CapturedShortcut::Control;

} // namespace

ShortcutRecorder::ShortcutRecorder(QObject *parent)
    : QObject(parent) {}

ShortcutRecorder::~ShortcutRecorder() {
    if (m_recording && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void ShortcutRecorder::toggle(VelloraPreferences &preferences) {
    if (m_recording) {
        stop();
        return;
    }
    m_preferences = &preferences;
    m_recording = true;
    // A new recording supersedes the last refusal; its message would only confuse now.
    preferences.setShortcutError(QString());
    setMessage(QStringLiteral("按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消"));
    QCoreApplication::instance()->installEventFilter(this);
    emit recordingChanged(true);
}

void ShortcutRecorder::stop() {
    const bool wasRecording = m_recording;
    if (wasRecording)
        QCoreApplication::instance()->removeEventFilter(this);
    m_recording = false;
    m_preferences.clear();
    setMessage(QString());
    if (wasRecording)
        emit recordingChanged(false);
}

void ShortcutRecorder::setMessage(const QString &message) {
    if (m_message == message)
        return;
    m_message = message;
    emit messageChanged();
}

std::optional<CapturedShortcut> ShortcutRecorder::shortcutFor(const QKeyEvent &event, const QString &language) {
    const std::optional<quint32> keyCode = KeyCodeTable::macFromX11KeyCode(event.nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    CapturedShortcut shortcut;
    shortcut.keyCode = *keyCode;
    shortcut.modifiers = KeyCodeTable::macModifiersFromQt(event.modifiers());
    if (*keyCode == MacSpace)
        shortcut.label = QStringLiteral("Space");
    else if (*keyCode == MacReturn)
        shortcut.label = QStringLiteral("↩");
    else
        // The key's own name: what it types with no modifier held, so Shift+2
        // is the key "2" and not the "@" it types with Shift.
        shortcut.label = KeyboardLayout::unmodifiedText(event.nativeScanCode(),
                                                        KeyboardLayout::groupOfState(event.nativeModifiers()))
                             .toUpper();
    if (shortcut.label.isEmpty())
        shortcut.label = velloraLocalizedFormatIn(language, QStringLiteral("按键 %d"), int(*keyCode));
    return shortcut;
}

bool ShortcutRecorder::eventFilter(QObject *watched, QEvent *event) {
    if (!m_recording || m_preferences.isNull())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim every key, so no menu or button shortcut fires meanwhile.
        event->accept();
        return true;
    case QEvent::KeyPress:
        handleKeyPress(*static_cast<QKeyEvent *>(event));
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void ShortcutRecorder::handleKeyPress(const QKeyEvent &event) {
    const std::optional<quint32> keyCode = KeyCodeTable::macFromX11KeyCode(event.nativeScanCode());
    if (event.key() == Qt::Key_Escape || keyCode == MacEscape) {
        stop();
        return;
    }
    const std::optional<CapturedShortcut> shortcut = shortcutFor(event, m_preferences->language());
    // A modifier on its own (and any key without a stored code) waits for the real key.
    if (!shortcut)
        return;
    if ((shortcut->modifiers & RequiredModifiers) == 0) {
        setMessage(QStringLiteral("请包含 ⌘、⌃ 或 ⌥，避免覆盖普通输入"));
        return;
    }
    m_preferences->setShortcut(*shortcut);
    stop();
}

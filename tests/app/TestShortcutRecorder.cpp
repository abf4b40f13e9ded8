#include "ShortcutRecorder.h"

#include "LibsecretSecretStore.h"
#include "UserDefaults.h"
#include "VelloraPreferences.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// X11 key codes (evdev + 8) of a US keyboard, as xcb hands them to Qt.
constexpr quint32 X11R = 27;
constexpr quint32 X11A = 38;
constexpr quint32 X11Space = 65;
constexpr quint32 X11Return = 36;
constexpr quint32 X11Escape = 9;
constexpr quint32 X11F5 = 71;
constexpr quint32 X11AltLeft = 64;
constexpr quint32 X11Two = 11;
constexpr quint32 X11Comma = 59;

// Delivers a key press the way the xcb platform does: through the application
// (so its event filters see it), with the native key code.
bool press(QWidget *target, int key, Qt::KeyboardModifiers modifiers, quint32 nativeCode, const QString &text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, nativeCode, 0, 0, text);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

} // namespace

class TestShortcutRecorder final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    LibsecretSecretStore m_store;
    std::unique_ptr<VelloraPreferences> m_preferences;
    std::unique_ptr<QLineEdit> m_field;

private slots:
    void init() {
        QFile::remove(m_dir.filePath("Vellora.conf"));
        m_defaults = std::make_unique<UserDefaults>(m_dir.filePath("Vellora.conf"));
        m_preferences = std::make_unique<VelloraPreferences>(*m_defaults, m_store, false, QStringList());
        m_preferences->setLanguage("en");
        m_field = std::make_unique<QLineEdit>();
        m_field->show();
        m_field->setFocus();
    }

    void acceptedKeysBecomeTheShortcut_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("nativeCode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("title");
        const auto row = [](const char *name, Qt::Key key, Qt::KeyboardModifiers modifiers, quint32 nativeCode,
                            const QString &text, quint32 keyCode, quint32 mask, const QString &label,
                            const QString &title) {
            QTest::newRow(name) << int(key) << int(modifiers) << nativeCode << text << keyCode << mask << label
                                << title;
        };
        row("Alt+Super+R", Qt::Key_R, Qt::AltModifier | Qt::MetaModifier, X11R, "r", 15, 2304, "R", "Alt+Super+R");
        row("Ctrl+Super+Space", Qt::Key_Space, Qt::ControlModifier | Qt::MetaModifier, X11Space, " ", 49, 4352,
            "Space", "Ctrl+Super+Space");
        row("Super+Return", Qt::Key_Return, Qt::MetaModifier, X11Return, "\r", 36, 256, "↩", "Super+Enter");
        row("Ctrl types a control character, the label is the key", Qt::Key_A, Qt::ControlModifier, X11A, "\x01", 0,
            4096, "A", "Ctrl+A");
        // Shift makes the key type "@"; the key is still the one named "2".
        row("the default, recorded again", Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier | Qt::MetaModifier,
            X11Two, "@", 19, 4864, "2", "Ctrl+Shift+Super+2");
        row("Shift counts with Ctrl", Qt::Key_Less, Qt::ControlModifier | Qt::ShiftModifier, X11Comma, "<", 0x2B,
            4608, ",", "Ctrl+Shift+,");
        row("a shifted letter", Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, X11A, "A", 0, 4608, "A",
            "Ctrl+Shift+A");
        row("a key without characters", Qt::Key_F5, Qt::AltModifier, X11F5, "", 96, 2048, "Key 96", "Alt+F5");
        row("keypad and group flags are dropped", Qt::Key_R,
            Qt::MetaModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier, X11R, "r", 15, 256, "R", "Super+R");
    }

    void acceptedKeysBecomeTheShortcut() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(quint32, nativeCode);
        QFETCH(QString, text);
        QFETCH(quint32, keyCode);
        QFETCH(quint32, mask);
        QFETCH(QString, label);
        QFETCH(QString, title);
        ShortcutRecorder recorder;
        QSignalSpy recording(&recorder, &ShortcutRecorder::recordingChanged);
        recorder.toggle(*m_preferences);
        QVERIFY(recorder.recording());
        QCOMPARE(recorder.message(), "按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消");

        QVERIFY(press(m_field.get(), key, Qt::KeyboardModifiers(modifiers), nativeCode, text));
        QCOMPARE(m_preferences->shortcut().keyCode, keyCode);
        QCOMPARE(m_preferences->shortcut().modifiers, mask);
        QCOMPARE(m_preferences->shortcut().label, label);
        QCOMPARE(m_preferences->shortcutTitle(), title);
        QVERIFY(!recorder.recording());
        QCOMPARE(recorder.message(), "");
        QCOMPARE(recording.count(), 2);
        QCOMPARE(recording.at(1).at(0).toBool(), false);
        // Swallowed: nothing reached the focused field.
        QCOMPARE(m_field->text(), "");
    }

    void keysThatDoNotEndTheRecording() {
        ShortcutRecorder recorder;
        recorder.toggle(*m_preferences);
        const CapturedShortcut before = m_preferences->shortcut();

        // A modifier on its own waits for the key, without a hint.
        press(m_field.get(), Qt::Key_Alt, Qt::AltModifier, X11AltLeft);
        QVERIFY(recorder.recording());
        QCOMPARE(recorder.message(), "按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消");

        // Shift alone is not enough.
        QVERIFY(press(m_field.get(), Qt::Key_A, Qt::ShiftModifier, X11A, "A"));
        QVERIFY(recorder.recording());
        QCOMPARE(recorder.message(), "请包含 ⌘、⌃ 或 ⌥，避免覆盖普通输入");
        press(m_field.get(), Qt::Key_A, Qt::NoModifier, X11A, "a");
        QVERIFY(recorder.recording());
        QCOMPARE(m_field->text(), "");
        QCOMPARE(m_preferences->shortcut(), before);

        // Escape ends it and changes nothing, even with modifiers held.
        press(m_field.get(), Qt::Key_Escape, Qt::ControlModifier, X11Escape);
        QVERIFY(!recorder.recording());
        QCOMPARE(recorder.message(), "");
        QCOMPARE(m_preferences->shortcut(), before);

        // Idle again: keys reach the field as usual.
        QTest::keyClicks(m_field.get(), "ok");
        QCOMPARE(m_field->text(), "ok");
    }

    void toggleAndStopEndTheRecording() {
        ShortcutRecorder recorder;
        recorder.toggle(*m_preferences);
        recorder.toggle(*m_preferences);
        QVERIFY(!recorder.recording());
        recorder.toggle(*m_preferences);
        QSignalSpy recording(&recorder, &ShortcutRecorder::recordingChanged);
        recorder.stop();
        recorder.stop();
        QCOMPARE(recording.count(), 1);
        QVERIFY(!recorder.recording());
        QCOMPARE(recorder.message(), "");
    }

    void shortcutsDoNotFireWhileRecording() {
        auto *action = new QAction(m_field.get());
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
        action->setShortcutContext(Qt::ApplicationShortcut);
        m_field->addAction(action);
        m_field->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_field.get()));
        QSignalSpy triggered(action, &QAction::triggered);
        ShortcutRecorder recorder;
        recorder.toggle(*m_preferences);
        QTest::keyClick(m_field.get(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(triggered.count(), 0);
        recorder.stop();
        QTest::keyClick(m_field.get(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(triggered.count(), 1);
    }

    void aRecorderThatIsGoneLeavesNoFilter() {
        {
            ShortcutRecorder recorder;
            recorder.toggle(*m_preferences);
        }
        QTest::keyClicks(m_field.get(), "x");
        QCOMPARE(m_field->text(), "x");
    }
};

QTEST_MAIN(TestShortcutRecorder)
#include "TestShortcutRecorder.moc"

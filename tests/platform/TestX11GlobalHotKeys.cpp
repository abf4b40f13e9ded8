#include "X11GlobalHotKeys.h"

#include "TestSupport.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

// Runs on the session's X server: real grabs, real key presses through XTEST
// (xdotool), and a second X client that competes for the same combinations.

namespace {

using HotKeyId = GlobalHotKeys::HotKeyId;

constexpr quint32 Key2 = 19;        // the key that types "2"
constexpr quint32 KeyR = 15;        // the key that types "R"
constexpr quint32 X11KeyCode2 = 11; // evdev KEY_2 + 8
constexpr quint32 DefaultModifiers = 4096 | 512 | 256;
constexpr HotKeyId AppId{0x564F4352, 1}; // "VOCR", 1
constexpr HotKeyId OtherId{0x564F4352, 2};

constexpr quint16 X11Shift = XCB_MOD_MASK_SHIFT;
constexpr quint16 X11Lock = XCB_MOD_MASK_LOCK;
constexpr quint16 X11Control = XCB_MOD_MASK_CONTROL;

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};

void xdotool(const QStringList &arguments) {
    const TestSupport::ProcessResult result = TestSupport::run(QStringLiteral("xdotool"), arguments);
    QVERIFY2(result.finished && result.exitCode == 0, result.standardError.constData());
}

// An independent X client: its own connection to the display, so its grabs
// belong to another client than the application's (Qt's) connection.
class OtherClient final {
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection) == 0)
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    bool connected() const { return m_root != 0; }

    // true when the server granted the grab; false on BadAccess (someone holds it).
    bool grab(xcb_keycode_t keyCode, quint16 modifiers) {
        const std::unique_ptr<xcb_generic_error_t, FreeDeleter> error{
            xcb_request_check(m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keyCode,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))};
        return !error;
    }
    void ungrab(xcb_keycode_t keyCode, quint16 modifiers) {
        xcb_request_check(m_connection, xcb_ungrab_key_checked(m_connection, keyCode, m_root, modifiers));
    }

    // The key presses that reached this client since the last call.
    int takeKeyPresses() {
        // A round trip: whatever the server sent before answering has arrived.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        int presses = 0;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
                ++presses;
            std::free(event);
        }
        return presses;
    }

    // The keyboard's modifier and lock state as the server reports it.
    quint16 modifierState() {
        const std::unique_ptr<xcb_query_pointer_reply_t, FreeDeleter> reply{
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr)};
        return reply ? reply->mask & 0xff : 0;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
};

} // namespace

class TestX11GlobalHotKeys final : public QObject {
    Q_OBJECT

    OtherClient m_other;
    // The bits the display gives Super and Num Lock, found by pressing the keys.
    quint16 m_super = 0;
    quint16 m_numLock = 0;

    quint16 defaultX11Modifiers() const { return X11Control | X11Shift | m_super; }

    // The modifier bit a key sets or locks, read back from the server.
    quint16 bitOf(const QStringList &press, const QStringList &release) {
        const quint16 before = m_other.modifierState();
        xdotool(press);
        const quint16 during = m_other.modifierState();
        xdotool(release);
        return during & ~before;
    }

    // Whether the other client could take every lock variant of the default
    // combination, that is whether nothing of it is grabbed by anyone else.
    bool defaultCombinationIsFree() {
        bool free = true;
        for (const quint16 locks : {quint16(0), X11Lock, m_numLock, quint16(m_numLock | X11Lock)}) {
            const quint16 modifiers = defaultX11Modifiers() | locks;
            if (m_other.grab(X11KeyCode2, modifiers))
                m_other.ungrab(X11KeyCode2, modifiers);
            else
                free = false;
        }
        return free;
    }

    // Presses `combination`, then the default combination as a marker, and waits
    // for the marker's event: X delivers in order, so by then any event the first
    // press caused has arrived too.
    void pressThenMarker(const QString &combination, QSignalSpy &spy) {
        const qsizetype before = spy.count();
        xdotool({QStringLiteral("key"), combination});
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+super+2")});
        QTRY_VERIFY(spy.count() > before);
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(m_other.connected());
        m_super = bitOf({QStringLiteral("keydown"), QStringLiteral("super")},
                        {QStringLiteral("keyup"), QStringLiteral("super")});
        m_numLock = bitOf({QStringLiteral("key"), QStringLiteral("Num_Lock")},
                          {QStringLiteral("key"), QStringLiteral("Num_Lock")});
        qInfo("Super is modifier bit 0x%x, Num Lock 0x%x", m_super, m_numLock);
        QVERIFY(m_super != 0 && (m_super & (X11Shift | X11Lock | X11Control)) == 0);
        QVERIFY(m_numLock != 0 && m_numLock != m_super);
        QCOMPARE(m_other.modifierState(), quint16(0));
    }

    void cleanup() { QCOMPARE(m_other.modifierState(), quint16(0)); }

    // The default shortcut fires once per press, with its identifier, whatever
    // the state of the lock keys.
    void pressDeliversTheIdentifierOnce_data() {
        QTest::addColumn<QStringList>("locks");
        QTest::newRow("no lock") << QStringList();
        QTest::newRow("Num Lock on") << QStringList{"Num_Lock"};
        QTest::newRow("Caps Lock on") << QStringList{"Caps_Lock"};
        QTest::newRow("both on") << QStringList{"Num_Lock", "Caps_Lock"};
    }
    void pressDeliversTheIdentifierOnce() {
        QFETCH(QStringList, locks);
        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> handle = hotKeys.registerHotKey(Key2, DefaultModifiers, AppId);
        QVERIFY2(handle.ok(), qPrintable(handle.ok() ? QString() : handle.error().description));
        QVERIFY(handle.value() != 0);
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);

        for (const QString &lock : locks)
            xdotool({"key", lock});
        quint16 expectedLocks = 0;
        for (const QString &lock : locks)
            expectedLocks |= lock == "Num_Lock" ? m_numLock : X11Lock;
        QCOMPARE(m_other.modifierState(), expectedLocks);

        xdotool({"key", "ctrl+shift+super+2"});
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<HotKeyId>(), AppId);
        xdotool({"key", "ctrl+shift+super+2"});
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<HotKeyId>(), AppId);

        for (const QString &lock : locks)
            xdotool({"key", lock});
    }

    // Near misses of the registered combination: none of them fires.
    void otherCombinationsDoNotFire_data() {
        QTest::addColumn<QString>("combination");
        QTest::newRow("without Super") << "ctrl+shift+2";
        QTest::newRow("without Control") << "shift+super+2";
        QTest::newRow("with Alt added") << "ctrl+alt+shift+super+2";
        QTest::newRow("another key") << "ctrl+shift+super+3";
    }
    void otherCombinationsDoNotFire() {
        QFETCH(QString, combination);
        X11GlobalHotKeys hotKeys;
        QVERIFY(hotKeys.registerHotKey(Key2, DefaultModifiers, AppId).ok());
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);
        pressThenMarker(combination, spy);
        QCOMPARE(spy.count(), 1);
    }

    // Holding the combination down long enough for the server to repeat the key
    // still starts one capture, not a burst of them.
    void heldKeyFiresOnce() {
        // The server does repeat a held key (else this test would prove nothing).
        const quint16 altSuper = XCB_MOD_MASK_1 | m_super;
        const xcb_keycode_t x11KeyCodeR = 27;
        QVERIFY(m_other.grab(x11KeyCodeR, altSuper));
        m_other.takeKeyPresses();
        xdotool({"keydown", "alt+super+r"});
        QTest::qWait(1500);
        xdotool({"keyup", "alt+super+r"});
        const int serverPresses = m_other.takeKeyPresses();
        m_other.ungrab(x11KeyCodeR, altSuper);
        QVERIFY2(serverPresses > 2, qPrintable(QString::number(serverPresses)));

        X11GlobalHotKeys hotKeys;
        QVERIFY(hotKeys.registerHotKey(Key2, DefaultModifiers, AppId).ok());
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);
        xdotool({"keydown", "ctrl+shift+super+2"});
        QTest::qWait(1500);
        xdotool({"keyup", "ctrl+shift+super+2"});
        xdotool({"key", "ctrl+shift+super+2"});
        QTRY_COMPARE(spy.count(), 2);
        QTest::qWait(200);
        QCOMPARE(spy.count(), 2);
    }

    // Two registrations report their own identifiers; releasing one silences it
    // and gives its combination back to the display.
    void unregisterReleasesTheCombination() {
        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> other = hotKeys.registerHotKey(KeyR, 2048 | 256, OtherId);
        const Result<GlobalHotKeys::Handle> app = hotKeys.registerHotKey(Key2, DefaultModifiers, AppId);
        QVERIFY(other.ok() && app.ok());
        QVERIFY(other.value() != app.value());
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);

        xdotool({"key", "alt+super+r"});
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<HotKeyId>(), OtherId);
        QVERIFY(!defaultCombinationIsFree());

        hotKeys.unregisterHotKey(app.value());
        hotKeys.unregisterHotKey(app.value()); // a second time: ignored
        hotKeys.unregisterHotKey(0xDEAD);      // never handed out: ignored
        QVERIFY(defaultCombinationIsFree());
        xdotool({"key", "ctrl+shift+super+2"});
        xdotool({"key", "alt+super+r"});
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<HotKeyId>(), OtherId);
    }

    void destructionReleasesEveryGrab() {
        {
            X11GlobalHotKeys hotKeys;
            QVERIFY(hotKeys.registerHotKey(Key2, DefaultModifiers, AppId).ok());
            QVERIFY(!defaultCombinationIsFree());
        }
        QVERIFY(defaultCombinationIsFree());
    }

    // Another client holds one lock variant of the combination: the whole
    // registration is refused and the variants that were granted are released,
    // so the application never half-owns a hot key.
    void refusedWhenAnotherClientHoldsIt_data() {
        QTest::addColumn<int>("heldLocks"); // 0 none, 1 Caps Lock, 2 Num Lock, 3 both
        QTest::newRow("plain") << 0;
        QTest::newRow("Caps Lock variant") << 1;
        QTest::newRow("Num Lock variant") << 2;
        QTest::newRow("both locks variant") << 3;
    }
    void refusedWhenAnotherClientHoldsIt() {
        QFETCH(int, heldLocks);
        const quint16 locks = ((heldLocks & 1) ? X11Lock : 0) | ((heldLocks & 2) ? m_numLock : 0);
        const quint16 held = defaultX11Modifiers() | locks;
        QVERIFY(m_other.grab(X11KeyCode2, held));

        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> refused = hotKeys.registerHotKey(Key2, DefaultModifiers, AppId);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.error().domain, QStringLiteral("Vellora.HotKey"));
        QCOMPARE(refused.error().code, qint64(GlobalHotKeys::Refused));
        QVERIFY(!refused.error().description.isEmpty());

        // Apart from the variant the other client holds, every variant is free.
        m_other.ungrab(X11KeyCode2, held);
        QVERIFY(defaultCombinationIsFree());

        // Once the other client has let go, the same registration succeeds and works.
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);
        QVERIFY(hotKeys.registerHotKey(Key2, DefaultModifiers, AppId).ok());
        xdotool({"key", "ctrl+shift+super+2"});
        QTRY_COMPARE(spy.count(), 1);
    }

    // While the other client holds the combination, its presses go there, not here.
    void pressesGoToTheClientThatHoldsIt() {
        QVERIFY(m_other.grab(X11KeyCode2, defaultX11Modifiers()));
        X11GlobalHotKeys hotKeys;
        QVERIFY(!hotKeys.registerHotKey(Key2, DefaultModifiers, AppId).ok());
        QVERIFY(hotKeys.registerHotKey(KeyR, 2048 | 256, OtherId).ok());
        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);
        xdotool({"key", "ctrl+shift+super+2"});
        xdotool({"key", "alt+super+r"});
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<HotKeyId>(), OtherId);
        m_other.ungrab(X11KeyCode2, defaultX11Modifiers());
    }

    // A second grab by the same client would silently replace the first; the
    // second registration is refused instead and the first keeps working.
    void sameCombinationTwiceIsRefused() {
        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> first = hotKeys.registerHotKey(Key2, DefaultModifiers, AppId);
        QVERIFY(first.ok());
        const Result<GlobalHotKeys::Handle> second = hotKeys.registerHotKey(Key2, DefaultModifiers, OtherId);
        QVERIFY(!second.ok());
        QCOMPARE(second.error().code, qint64(GlobalHotKeys::Refused));

        QSignalSpy spy(&hotKeys, &GlobalHotKeys::hotKeyPressed);
        xdotool({"key", "ctrl+shift+super+2"});
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<HotKeyId>(), AppId);
    }

    void unmappableCombinationsAreRefused_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::newRow("Command key as the key") << 0x37u << 4096u;
        QTest::newRow("key code beyond the table") << 300u << DefaultModifiers;
        QTest::newRow("Caps Lock bit in the mask") << Key2 << (DefaultModifiers | 1024u);
    }
    void unmappableCombinationsAreRefused() {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> result = hotKeys.registerHotKey(keyCode, modifiers, AppId);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().code, qint64(GlobalHotKeys::Unmappable));
        QVERIFY(defaultCombinationIsFree());
    }
};

QTEST_MAIN(TestX11GlobalHotKeys)
#include "TestX11GlobalHotKeys.moc"

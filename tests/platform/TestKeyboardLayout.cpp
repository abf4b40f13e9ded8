// What keys type, read from the session's X server: its own mapping, and a key
// remapped the way a user's layout (German, Russian…) would map it.
#include "KeyboardLayout.h"

#include <QGuiApplication>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};

// X11 key codes (evdev + 8) and keysyms.
constexpr xcb_keycode_t IsoKey = 94; // KEY_102ND, the extra key of ISO keyboards
constexpr xcb_keysym_t KeysymA = 0x61, KeysymShiftA = 0x41, KeysymODiaeresis = 0xf6, KeysymShiftODiaeresis = 0xd6,
                       KeysymCyrillicEf = 0x6c6, KeysymCyrillicShiftEf = 0x6e6, KeysymDeadAcute = 0xfe51;

// Another client's view of one key's mapping, put back as it was on destruction.
class KeyMapping final {
public:
    explicit KeyMapping(xcb_keycode_t keyCode)
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_keyCode(keyCode) {
        const std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeDeleter> reply{xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, keyCode, 1), nullptr)};
        if (reply) {
            const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
            m_original.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
        }
    }
    ~KeyMapping() {
        if (!m_original.empty())
            set(m_original);
        xcb_disconnect(m_connection);
    }
    KeyMapping(const KeyMapping &) = delete;
    KeyMapping &operator=(const KeyMapping &) = delete;

    bool valid() const { return !m_original.empty(); }

    // Sets the key's keysyms (level 1 and 2 of group 1, then of group 2…) and
    // waits until the application's own connection has heard of it.
    void set(std::vector<xcb_keysym_t> keysyms) {
        keysyms.resize(m_original.size(), 0);
        xcb_change_keyboard_mapping(m_connection, 1, m_keyCode, quint8(keysyms.size()), keysyms.data());
        xcb_aux_sync();
    }

private:
    void xcb_aux_sync() {
        const std::unique_ptr<xcb_get_input_focus_reply_t, FreeDeleter> reply{
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)};
        Q_UNUSED(reply);
    }

    xcb_connection_t *m_connection;
    xcb_keycode_t m_keyCode;
    std::vector<xcb_keysym_t> m_original;
};

} // namespace

class TestKeyboardLayout final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    // The server's own (US) mapping: the unmodified level, whatever Shift would type.
    void keysOfTheDisplay_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("2, which types @ with Shift") << 11u << "2";
        QTest::newRow("a letter") << 38u << "a";
        QTest::newRow("comma") << 59u << ",";
        QTest::newRow("grave") << 49u << "`";
        QTest::newRow("keypad 5 with Num Lock off") << 84u << "";
        QTest::newRow("F5 types nothing") << 71u << "";
        QTest::newRow("Space is no character to show") << 65u << "";
        QTest::newRow("Shift itself") << 50u << "";
        QTest::newRow("below the server's key codes") << 3u << "";
        QTest::newRow("beyond them") << 300u << "";
    }

    void keysOfTheDisplay() {
        QFETCH(quint32, keyCode);
        QFETCH(QString, text);
        QCOMPARE(KeyboardLayout::unmodifiedText(keyCode), text);
    }

    // The same key under other layouts: the text follows the display's mapping
    // and the event's layout group.
    void keysOfOtherLayouts_data() {
        QTest::addColumn<std::vector<xcb_keysym_t>>("keysyms");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("text");
        QTest::newRow("German ö") << std::vector<xcb_keysym_t>{KeysymODiaeresis, KeysymShiftODiaeresis} << 0 << "ö";
        QTest::newRow("US and Russian, first group")
            << std::vector<xcb_keysym_t>{KeysymA, KeysymShiftA, KeysymCyrillicEf, KeysymCyrillicShiftEf} << 0 << "a";
        QTest::newRow("US and Russian, second group")
            << std::vector<xcb_keysym_t>{KeysymA, KeysymShiftA, KeysymCyrillicEf, KeysymCyrillicShiftEf} << 1 << "ф";
        QTest::newRow("a group the key lacks takes the first")
            << std::vector<xcb_keysym_t>{KeysymODiaeresis, KeysymShiftODiaeresis} << 2 << "ö";
        QTest::newRow("a dead key types nothing by itself")
            << std::vector<xcb_keysym_t>{KeysymDeadAcute, KeysymDeadAcute} << 0 << "";
    }

    void keysOfOtherLayouts() {
        QFETCH(std::vector<xcb_keysym_t>, keysyms);
        QFETCH(int, group);
        QFETCH(QString, text);
        KeyMapping mapping(IsoKey);
        QVERIFY(mapping.valid());
        mapping.set(keysyms);
        QCOMPARE(KeyboardLayout::unmodifiedText(IsoKey, group), text);
    }

    void groupOfState_data() {
        QTest::addColumn<quint32>("state");
        QTest::addColumn<int>("group");
        QTest::newRow("none") << 0u << 0;
        QTest::newRow("Shift and Control only") << 0x5u << 0;
        QTest::newRow("second group with Shift") << ((1u << 13) | 0x1u) << 1;
        QTest::newRow("fourth group") << (3u << 13) << 3;
    }

    void groupOfState() {
        QFETCH(quint32, state);
        QFETCH(int, group);
        QCOMPARE(KeyboardLayout::groupOfState(state), group);
    }
};

QTEST_MAIN(TestKeyboardLayout)
#include "TestKeyboardLayout.moc"

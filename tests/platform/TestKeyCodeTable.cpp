#include "KeyCodeTable.h"

#include <QTest>

#include <linux/input-event-codes.h>

using namespace KeyCodeTable;

namespace {

constexpr quint16 X11Shift = 0x01, X11Lock = 0x02, X11Control = 0x04, X11Mod1 = 0x08, X11Mod2 = 0x10, X11Mod3 = 0x20,
                  X11Mod4 = 0x40, X11Button1 = 0x100;

} // namespace

class TestKeyCodeTable final : public QObject {
    Q_OBJECT

private slots:
    // Known pairs, written from Carbon's kVK_* constants and the kernel's KEY_*
    // names, one or more from every group of keys.
    void translatesBothWays_data() {
        QTest::addColumn<quint32>("mac");
        QTest::addColumn<quint32>("evdev");
        const auto row = [](const char *name, quint32 mac, quint32 evdev) {
            QTest::newRow(name) << mac << evdev;
        };
        row("A", 0x00, KEY_A);
        row("S", 0x01, KEY_S);
        row("Z", 0x06, KEY_Z);
        row("B (after the ISO gap)", 0x0B, KEY_B);
        row("Y", 0x10, KEY_Y);
        row("T", 0x11, KEY_T);
        row("K", 0x28, KEY_K);
        row("M", 0x2E, KEY_M);
        row("1", 0x12, KEY_1);
        row("2", 19, KEY_2);
        row("5 (after 6 in kVK order)", 0x17, KEY_5);
        row("6", 0x16, KEY_6);
        row("9", 0x19, KEY_9);
        row("0", 0x1D, KEY_0);
        row("minus", 0x1B, KEY_MINUS);
        row("equal", 0x18, KEY_EQUAL);
        row("left bracket", 0x21, KEY_LEFTBRACE);
        row("right bracket", 0x1E, KEY_RIGHTBRACE);
        row("quote", 0x27, KEY_APOSTROPHE);
        row("semicolon", 0x29, KEY_SEMICOLON);
        row("backslash", 0x2A, KEY_BACKSLASH);
        row("comma", 0x2B, KEY_COMMA);
        row("period", 0x2F, KEY_DOT);
        row("slash", 0x2C, KEY_SLASH);
        row("grave", 0x32, KEY_GRAVE);
        row("ISO section", 0x0A, KEY_102ND);
        row("Return", 36, KEY_ENTER);
        row("Tab", 48, KEY_TAB);
        row("Space", 49, KEY_SPACE);
        row("Delete is Backspace", 51, KEY_BACKSPACE);
        row("Escape", 53, KEY_ESC);
        row("F1", 0x7A, KEY_F1);
        row("F2", 0x78, KEY_F2);
        row("F3", 0x63, KEY_F3);
        row("F4", 0x76, KEY_F4);
        row("F5", 0x60, KEY_F5);
        row("F9", 0x65, KEY_F9);
        row("F10", 0x6D, KEY_F10);
        row("F11", 0x67, KEY_F11);
        row("F12", 0x6F, KEY_F12);
        row("F13", 0x69, KEY_F13);
        row("F14", 0x6B, KEY_F14);
        row("F15", 0x71, KEY_F15);
        row("F16", 0x6A, KEY_F16);
        row("F17", 0x40, KEY_F17);
        row("F18", 0x4F, KEY_F18);
        row("F19", 0x50, KEY_F19);
        row("F20", 0x5A, KEY_F20);
        row("left", 0x7B, KEY_LEFT);
        row("right", 0x7C, KEY_RIGHT);
        row("down", 0x7D, KEY_DOWN);
        row("up", 126, KEY_UP);
        row("Home", 0x73, KEY_HOME);
        row("End", 0x77, KEY_END);
        row("Page Up", 0x74, KEY_PAGEUP);
        row("Page Down", 0x79, KEY_PAGEDOWN);
        row("Forward Delete", 0x75, KEY_DELETE);
        row("Help is Insert's place", 0x72, KEY_INSERT);
        row("keypad 0", 0x52, KEY_KP0);
        row("keypad 7", 0x59, KEY_KP7);
        row("keypad 8 (after F20)", 0x5B, KEY_KP8);
        row("keypad 9", 0x5C, KEY_KP9);
        row("keypad decimal", 0x41, KEY_KPDOT);
        row("keypad multiply", 0x43, KEY_KPASTERISK);
        row("keypad plus", 0x45, KEY_KPPLUS);
        row("keypad minus", 0x4E, KEY_KPMINUS);
        row("keypad divide", 0x4B, KEY_KPSLASH);
        row("keypad enter", 0x4C, KEY_KPENTER);
        row("keypad equals", 0x51, KEY_KPEQUAL);
        row("keypad Clear is Num Lock's place", 0x47, KEY_NUMLOCK);
        row("JIS yen", 0x5D, KEY_YEN);
        row("volume up", 0x48, KEY_VOLUMEUP);
        row("context menu", 0x6E, KEY_COMPOSE);
    }
    void translatesBothWays() {
        QFETCH(quint32, mac);
        QFETCH(quint32, evdev);
        QCOMPARE(evdevFromMac(mac), std::optional<quint32>(evdev));
        QCOMPARE(macFromEvdev(evdev), std::optional<quint32>(mac));
        QCOMPARE(x11KeyCodeFromMac(mac), std::optional<quint32>(evdev + 8));
        QCOMPARE(macFromX11KeyCode(evdev + 8), std::optional<quint32>(mac));
    }

    void codesWithoutAnEntryGiveNothing_data() {
        QTest::addColumn<quint32>("mac");
        QTest::addColumn<quint32>("evdev");
        const auto row = [](const char *name, quint32 mac, quint32 evdev) {
            QTest::newRow(name) << mac << evdev;
        };
        row("Command / left meta", 0x37, KEY_LEFTMETA);
        row("right Command / right meta", 0x36, KEY_RIGHTMETA);
        row("Shift", 0x38, KEY_LEFTSHIFT);
        row("Option / left Alt", 0x3A, KEY_LEFTALT);
        row("Control", 0x3B, KEY_LEFTCTRL);
        row("Caps Lock", 0x39, KEY_CAPSLOCK);
        row("Function / Scroll Lock", 0x3F, KEY_SCROLLLOCK);
        row("unused 0x34 / reserved", 0x34, KEY_RESERVED);
        row("beyond the keyboard", 0x7F, 0x2FF);
        row("largest values", 0xFFFFFFFF, 0xFFFFFFFF);
    }
    void codesWithoutAnEntryGiveNothing() {
        QFETCH(quint32, mac);
        QFETCH(quint32, evdev);
        QCOMPARE(evdevFromMac(mac), std::nullopt);
        QCOMPARE(x11KeyCodeFromMac(mac), std::nullopt);
        QCOMPARE(macFromEvdev(evdev), std::nullopt);
    }

    // X11 keycodes start at 8; the ones below must not wrap around into the table.
    void x11KeyCodesBelowEightGiveNothing() {
        for (quint32 code = 0; code < 8; ++code)
            QCOMPARE(macFromX11KeyCode(code), std::nullopt);
        QCOMPARE(macFromX11KeyCode(0xFFFFFFFF), std::nullopt);
    }

    // Every entry translates back to where it came from, in both directions, so
    // no two keys share a code and a stored shortcut survives a recording.
    void everyEntryRoundTrips() {
        int macEntries = 0;
        for (quint32 mac = 0; mac < 0x400; ++mac) {
            const auto evdev = evdevFromMac(mac);
            if (!evdev)
                continue;
            ++macEntries;
            QVERIFY2(macFromEvdev(*evdev) == mac, qPrintable(QString::number(mac, 16)));
        }
        int evdevEntries = 0;
        for (quint32 evdev = 0; evdev < 0x400; ++evdev) {
            const auto mac = macFromEvdev(evdev);
            if (!mac)
                continue;
            ++evdevEntries;
            QVERIFY2(evdevFromMac(*mac) == evdev, qPrintable(QString::number(evdev)));
        }
        QCOMPARE(evdevEntries, macEntries);
    }

    // Every key of a PC keyboard's typing block, function row and keypad has a
    // place, apart from the modifier and lock keys.
    void everyTypingKeyHasAnEntry() {
        const QList<quint32> withoutEntry{KEY_LEFTCTRL, KEY_LEFTSHIFT, KEY_RIGHTSHIFT,
                                          KEY_LEFTALT,  KEY_CAPSLOCK,  KEY_SCROLLLOCK};
        for (quint32 evdev = KEY_ESC; evdev <= KEY_KPDOT; ++evdev) {
            if (!withoutEntry.contains(evdev))
                QVERIFY2(macFromEvdev(evdev).has_value(), qPrintable(QString::number(evdev)));
        }
        for (quint32 evdev : {KEY_F11, KEY_F12, KEY_KPENTER, KEY_KPSLASH, KEY_HOME, KEY_UP, KEY_PAGEUP, KEY_LEFT,
                              KEY_RIGHT, KEY_END, KEY_DOWN, KEY_PAGEDOWN, KEY_INSERT, KEY_DELETE, KEY_102ND})
            QVERIFY2(macFromEvdev(evdev).has_value(), qPrintable(QString::number(evdev)));
        for (quint32 evdev = KEY_F13; evdev <= KEY_F20; ++evdev)
            QVERIFY2(macFromEvdev(evdev).has_value(), qPrintable(QString::number(evdev)));
    }

    // The shortcut every new installation starts with: Control+Shift+Command+2.
    void defaultShortcutIsControlShiftSuperTwo() {
        QCOMPARE(evdevFromMac(19), std::optional<quint32>(KEY_2));
        QCOMPARE(x11KeyCodeFromMac(19), std::optional<quint32>(11));
        QCOMPARE(x11ModifiersFromMac(4096 | 512 | 256), std::optional<quint16>(X11Control | X11Shift | X11Mod4));
        QCOMPARE(qtModifiersFromMac(4864), Qt::ControlModifier | Qt::ShiftModifier | Qt::MetaModifier);
    }

    void modifiersTranslateBothWays_data() {
        QTest::addColumn<quint32>("mac");
        QTest::addColumn<quint16>("x11");
        QTest::addColumn<Qt::KeyboardModifiers>("qt");
        QTest::newRow("none") << 0u << quint16(0) << Qt::KeyboardModifiers();
        QTest::newRow("Command") << 256u << X11Mod4 << Qt::KeyboardModifiers(Qt::MetaModifier);
        QTest::newRow("Shift") << 512u << X11Shift << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Option") << 2048u << X11Mod1 << Qt::KeyboardModifiers(Qt::AltModifier);
        QTest::newRow("Control") << 4096u << X11Control << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Option+Command") << 2304u << quint16(X11Mod1 | X11Mod4) << (Qt::AltModifier | Qt::MetaModifier);
        QTest::newRow("all four") << 6912u << quint16(X11Shift | X11Control | X11Mod1 | X11Mod4)
                                  << (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    }
    void modifiersTranslateBothWays() {
        QFETCH(quint32, mac);
        QFETCH(quint16, x11);
        QFETCH(Qt::KeyboardModifiers, qt);
        QCOMPARE(x11ModifiersFromMac(mac), std::optional<quint16>(x11));
        QCOMPARE(macModifiersFromX11(x11), mac);
        QCOMPARE(qtModifiersFromMac(mac), qt);
        QCOMPARE(macModifiersFromQt(qt), mac);
    }

    // Bits outside the four cannot be grabbed as the user meant them.
    void unknownStoredModifierBitsAreRefused_data() {
        QTest::addColumn<quint32>("mac");
        QTest::newRow("Caps Lock bit") << 1024u;
        QTest::newRow("Command plus bit 0") << 257u;
        QTest::newRow("high bit") << 0x80000000u;
        QTest::newRow("every bit") << 0xFFFFFFFFu;
    }
    void unknownStoredModifierBitsAreRefused() {
        QFETCH(quint32, mac);
        QCOMPARE(x11ModifiersFromMac(mac), std::nullopt);
    }

    // Lock states and pointer buttons in an event's state are not part of a shortcut.
    void eventStateDropsLocksAndButtons() {
        QCOMPARE(macModifiersFromX11(X11Lock | X11Mod2 | X11Button1), 0u);
        QCOMPARE(macModifiersFromX11(X11Control | X11Lock | X11Mod2 | X11Mod3 | X11Button1), 4096u);
        QCOMPARE(macModifiersFromQt(Qt::KeypadModifier | Qt::GroupSwitchModifier | Qt::ShiftModifier), 512u);
    }

    // A display may put Super and Alt on other bits than Mod4 and Mod1.
    void followsTheDisplaysModifierBits() {
        const X11ModifierBits bits{X11Mod3, X11Mod4};
        QCOMPARE(x11ModifiersFromMac(256 | 2048, bits), std::optional<quint16>(X11Mod3 | X11Mod4));
        QCOMPARE(x11ModifiersFromMac(256, bits), std::optional<quint16>(X11Mod3));
        QCOMPARE(macModifiersFromX11(X11Mod3, bits), 256u);
        QCOMPARE(macModifiersFromX11(X11Mod4, bits), 2048u);
        QCOMPARE(macModifiersFromX11(X11Mod1, bits), 0u);
        // A display without Super: Command cannot be grabbed and is never reported.
        QCOMPARE(x11ModifiersFromMac(256, X11ModifierBits{0, X11Mod1}), std::nullopt);
        QCOMPARE(x11ModifiersFromMac(4096 | 2048, X11ModifierBits{0, X11Mod1}),
                 std::optional<quint16>(X11Control | X11Mod1));
        QCOMPARE(macModifiersFromX11(0xFF, X11ModifierBits{0, X11Mod1}), 512u | 4096u | 2048u);
    }
};

QTEST_GUILESS_MAIN(TestKeyCodeTable)
#include "TestKeyCodeTable.moc"

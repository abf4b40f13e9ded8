#include "CapturedShortcut.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

// JSON text written with single quotes, so the tables stay readable.
QByteArray json(const char *text) {
    return QByteArray(text).replace('\'', '"');
}

} // namespace

class TestCapturedShortcut final : public QObject {
    Q_OBJECT

private slots:
    void encodesKeysInFieldOrder_data() {
        QTest::addColumn<CapturedShortcut>("shortcut");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("default") << CapturedShortcut::defaultShortcut()
                                 << json("{'keyCode':19,'modifiers':4864,'label':'2'}");
        QTest::newRow("largest numbers") << CapturedShortcut{4294967295u, 4294967295u, "A"}
                                         << json("{'keyCode':4294967295,'modifiers':4294967295,'label':'A'}");
        QTest::newRow("label needing escapes")
            << CapturedShortcut{42, 0, "\"\\"} << json("{'keyCode':42,'modifiers':0,'label':'\\'\\\\'}");
        QTest::newRow("non-ASCII label as UTF-8")
            << CapturedShortcut{49, 2304, "空格"} << json("{'keyCode':49,'modifiers':2304,'label':'空格'}");
    }

    void encodesKeysInFieldOrder() {
        QFETCH(CapturedShortcut, shortcut);
        QFETCH(QByteArray, json);
        QCOMPARE(shortcut.toJson(), json);
        QCOMPARE(CapturedShortcut::fromJson(json), std::optional<CapturedShortcut>(shortcut));
        QCOMPARE(CapturedShortcut::fromJsonObject(shortcut.toJsonObject()), std::optional<CapturedShortcut>(shortcut));
    }

    void decodesStrictly_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::newRow("keys in another order") << json("{'label':'2','modifiers':4864,'keyCode':19}") << true;
        QTest::newRow("extra keys ignored") << json("{'keyCode':19,'modifiers':4864,'label':'2','x':[1]}") << true;
        QTest::newRow("integral number written as a fraction")
            << json("{'keyCode':19.0,'modifiers':0,'label':'2'}") << true;
        QTest::newRow("missing label") << json("{'keyCode':19,'modifiers':4864}") << false;
        QTest::newRow("missing keyCode") << json("{'modifiers':4864,'label':'2'}") << false;
        QTest::newRow("missing modifiers") << json("{'keyCode':19,'label':'2'}") << false;
        QTest::newRow("negative modifiers") << json("{'keyCode':19,'modifiers':-1,'label':'2'}") << false;
        QTest::newRow("keyCode above 32 bits") << json("{'keyCode':4294967296,'modifiers':0,'label':'2'}") << false;
        QTest::newRow("fractional keyCode") << json("{'keyCode':19.5,'modifiers':0,'label':'2'}") << false;
        QTest::newRow("keyCode as text") << json("{'keyCode':'19','modifiers':0,'label':'2'}") << false;
        QTest::newRow("label as number") << json("{'keyCode':19,'modifiers':0,'label':2}") << false;
        QTest::newRow("null label") << json("{'keyCode':19,'modifiers':0,'label':null}") << false;
        QTest::newRow("array") << json("[19,4864,'2']") << false;
        QTest::newRow("truncated") << json("{'keyCode':19,'modifiers':4864,'label':'2'") << false;
        QTest::newRow("empty data") << QByteArray() << false;
    }

    void decodesStrictly() {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        const auto decoded = CapturedShortcut::fromJson(json);
        QCOMPARE(decoded.has_value(), valid);
        if (valid)
            QCOMPARE(*decoded, (CapturedShortcut{19, decoded->modifiers, "2"}));
    }

    void equalityComparesAllFields_data() {
        QTest::addColumn<CapturedShortcut>("other");
        QTest::addColumn<bool>("equal");
        QTest::newRow("same") << CapturedShortcut{19, 4864, "2"} << true;
        QTest::newRow("label only differs") << CapturedShortcut{19, 4864, "@"} << false;
        QTest::newRow("modifiers differ") << CapturedShortcut{19, 4352, "2"} << false;
        QTest::newRow("key code differs") << CapturedShortcut{20, 4864, "2"} << false;
    }

    void equalityComparesAllFields() {
        QFETCH(CapturedShortcut, other);
        QFETCH(bool, equal);
        QCOMPARE(CapturedShortcut::defaultShortcut() == other, equal);
    }

    // Shortcuts read the PC way; keys named by what they do take the name of the
    // key code, whatever label a recorder (or another machine) stored.
    void displayTitle_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("title");
        const auto row = [](const char *name, quint32 keyCode, quint32 modifiers, const QString &label,
                            const QString &title) { QTest::newRow(name) << keyCode << modifiers << label << title; };
        row("default", 19, 4864, "2", "Ctrl+Shift+Super+2");
        row("Alt+Super+R", 15, 2304, "R", "Alt+Super+R");
        row("no modifiers", 0, 0, "A", "A");
        row("all four in a fixed order", 17, 256 | 512 | 2048 | 4096, "T", "Ctrl+Alt+Shift+Super+T");
        row("other bits ignored", 40, 1 | 128 | 1024 | 256, "K", "Super+K");
        row("Space", 49, 2304, "Space", "Alt+Super+Space");
        row("Return", 36, 256, "↩", "Super+Enter");
        row("F5 recorded without characters", 96, 2048, "Key 96", "Alt+F5");
        row("F5 recorded in Chinese", 96, 4096, "按键 96", "Ctrl+F5");
        row("F5 from a Mac's config.json", 96, 4096, QString(QChar(0xF708)), "Ctrl+F5");
        row("F12", 0x6F, 4096, "按键 111", "Ctrl+F12");
        row("keypad 5 is not the 5 key", 0x57, 4096, "按键 87", "Ctrl+Num 5");
        row("arrow", 0x7E, 4352, "按键 126", "Ctrl+Super+Up");
        row("page down", 0x79, 4096, "按键 121", "Ctrl+Page Down");
        row("a layout's own character", 0x29, 4096, "Ö", "Ctrl+Ö");
        row("punctuation", 0x2B, 4608, ",", "Ctrl+Shift+,");
    }

    void displayTitle() {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, label);
        QFETCH(QString, title);
        QCOMPARE((CapturedShortcut{keyCode, modifiers, label}.displayTitle()), title);
    }
};

QTEST_GUILESS_MAIN(TestCapturedShortcut)
#include "TestCapturedShortcut.moc"

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

    void displayTitle_data() {
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("title");
        QTest::newRow("default") << quint32(4864) << "2"
                                 << "⌃⇧⌘2";
        QTest::newRow("option command") << quint32(2304) << "Space"
                                        << "⌥⌘Space";
        QTest::newRow("no modifiers") << quint32(0) << "A"
                                      << "A";
        QTest::newRow("all four in fixed order") << quint32(256 | 512 | 2048 | 4096) << "F1"
                                                 << "⌃⌥⇧⌘F1";
        QTest::newRow("other bits ignored") << quint32(1 | 128 | 1024 | 256) << "K"
                                            << "⌘K";
    }

    void displayTitle() {
        QFETCH(quint32, modifiers);
        QFETCH(QString, label);
        QFETCH(QString, title);
        QCOMPARE((CapturedShortcut{19, modifiers, label}.displayTitle()), title);
    }
};

QTEST_GUILESS_MAIN(TestCapturedShortcut)
#include "TestCapturedShortcut.moc"

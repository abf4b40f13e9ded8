#include "ShortcutText.h"

#include <QTest>

class TestShortcutText final : public QObject {
    Q_OBJECT

private slots:
    void fixModifierNames_data() {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("expected");
        QTest::newRow("i for l") << "New Window Ctri+N"
                                 << "New Window Ctrl+N";
        QTest::newRow("capital I, with more modifiers") << "查找 CtrI+Shift+F"
                                                        << "查找 Ctrl+Shift+F";
        QTest::newRow("one for l, space before the plus") << "Ctr1 + C"
                                                          << "Ctrl + C";
        QTest::newRow("right already") << "Ctrl+Q"
                                       << "Ctrl+Q";
        QTest::newRow("no plus after it") << "Ctri is not a key"
                                          << "Ctri is not a key";
        QTest::newRow("inside a longer word") << "XCtri+1"
                                              << "XCtri+1";
    }

    void fixModifierNames() {
        QFETCH(QString, read);
        QFETCH(QString, expected);
        QCOMPARE(ShortcutText::fixModifierNames(read), expected);
    }
};

QTEST_APPLESS_MAIN(TestShortcutText)
#include "TestShortcutText.moc"

#include "MenuText.h"

#include <QTest>

class TestMenuText final : public QObject {
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
        QCOMPARE(MenuText::fixModifierNames(read), expected);
    }

    void withoutLeadingTick_data() {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("expected");
        QTest::newRow("v before a Latin item") << "v Undo"
                                               << "Undo";
        QTest::newRow("V before a Chinese item") << "V 在新分頁中開啟"
                                                 << "在新分頁中開啟";
        QTest::newRow("caron") << "ˇ 撤销"
                               << "撤销";
        QTest::newRow("tilde and caron") << "~ˇ 剪切"
                                         << "剪切";
        QTest::newRow("a sentence with a lower-case word after V") << "V for Vendetta"
                                                                   << "V for Vendetta";
        QTest::newRow("a version") << "v 1.4.2"
                                   << "v 1.4.2";
        QTest::newRow("a word starting with v") << "Vellora 设置"
                                                << "Vellora 设置";
        QTest::newRow("no tick") << "Save As…"
                                 << "Save As…";
    }

    void withoutLeadingTick() {
        QFETCH(QString, read);
        QFETCH(QString, expected);
        QCOMPARE(MenuText::withoutLeadingTick(read), expected);
    }
};

QTEST_APPLESS_MAIN(TestMenuText)
#include "TestMenuText.moc"

#include "VelloraDefaultPrompt.h"

#include <QTest>

class TestVelloraDefaultPrompt final : public QObject {
    Q_OBJECT

private slots:
    void forLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        const QString s = VelloraDefaultPrompt::simplified();
        const QString t = VelloraDefaultPrompt::traditional();
        const QString e = VelloraDefaultPrompt::english();
        QTest::newRow("system zh-Hant-HK") << "system" << QStringList{"zh-Hant-HK", "en-US"} << t;
        QTest::newRow("system zh-HK") << "system" << QStringList{"zh-HK"} << t;
        QTest::newRow("system zh-TW") << "system" << QStringList{"zh-TW"} << t;
        QTest::newRow("system zh-Hans-HK") << "system" << QStringList{"zh-Hans-HK"} << s;
        QTest::newRow("system yue-Hant-HK") << "system" << QStringList{"yue-Hant-HK"} << e;
        QTest::newRow("system empty list") << "system" << QStringList{} << s;
        QTest::newRow("en ignores system") << "en" << QStringList{"zh-Hant-TW"} << e;
        QTest::newRow("zh-Hans") << "zh-Hans" << QStringList{"en-US"} << s;
        QTest::newRow("zh-Hant") << "zh-Hant" << QStringList{"en-US"} << t;
        QTest::newRow("capitals are not Chinese") << "ZH-HANT" << QStringList{} << e;
        QTest::newRow("unknown passes through") << "fr" << QStringList{"zh-Hans"} << e;
    }

    void forLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        QCOMPARE(VelloraDefaultPrompt::forLanguage(language, preferred), expected);
    }

    void migrate_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        const QStringList legacy = VelloraDefaultPrompt::legacy();
        QTest::newRow("legacy English to zh-Hant") << legacy.at(2) << "zh-Hant" << VelloraDefaultPrompt::traditional();
        QTest::newRow("legacy Simplified to en") << legacy.at(0) << "en" << VelloraDefaultPrompt::english();
        QTest::newRow("legacy Traditional to zh-Hans")
            << legacy.at(1) << "zh-Hans" << VelloraDefaultPrompt::simplified();
        QTest::newRow("current English stays") << VelloraDefaultPrompt::english() << "zh-Hant"
                                                << VelloraDefaultPrompt::english();
        QTest::newRow("custom stays") << "只翻译成英文" << "en" << "只翻译成英文";
        QTest::newRow("legacy with a trailing space is custom") << legacy.at(2) + u' ' << "zh-Hant"
                                                                << legacy.at(2) + u' ';
    }

    void migrate()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QCOMPARE(VelloraDefaultPrompt::migrate(prompt, language), expected);
    }

    void allListsCurrentThenLegacy()
    {
        const QStringList all = VelloraDefaultPrompt::all();
        QCOMPARE(all.size(), 6);
        QCOMPARE(all.at(0), VelloraDefaultPrompt::simplified());
        QCOMPARE(all.at(1), VelloraDefaultPrompt::traditional());
        QCOMPARE(all.at(2), VelloraDefaultPrompt::english());
        QCOMPARE(all.mid(3), VelloraDefaultPrompt::legacy());
        QVERIFY(all.at(3).startsWith(QStringLiteral("修正 OCR 错别字")));
        QVERIFY(all.at(5).startsWith(QStringLiteral("Correct OCR typos")));
    }
};

QTEST_GUILESS_MAIN(TestVelloraDefaultPrompt)
#include "TestVelloraDefaultPrompt.moc"

#include "UpdaterLocalization.h"

#include <QRegularExpression>
#include <QTest>

class TestUpdaterLocalization final : public QObject {
    Q_OBJECT

private slots:
    void resolveTakesTheFirstEnglishOrChineseCode_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<UpdaterLanguage>("language");
        QTest::newRow("en-GB") << QStringList{"en-GB"} << UpdaterLanguage::english;
        QTest::newRow("zh") << QStringList{"zh"} << UpdaterLanguage::simplifiedChinese;
        QTest::newRow("zh-Hans") << QStringList{"zh-Hans"} << UpdaterLanguage::simplifiedChinese;
        QTest::newRow("zh_TW") << QStringList{"zh_TW"} << UpdaterLanguage::traditionalChinese;
        QTest::newRow("zh-Hant-CN") << QStringList{"zh-Hant-CN"} << UpdaterLanguage::traditionalChinese;
        QTest::newRow("zh-Hans-HK") << QStringList{"zh-Hans-HK"} << UpdaterLanguage::traditionalChinese;
        QTest::newRow("fr, zh-MO") << QStringList{"fr", "zh-MO"} << UpdaterLanguage::traditionalChinese;
        QTest::newRow("fr, de") << QStringList{"fr", "de"} << UpdaterLanguage::english;
        QTest::newRow("nothing") << QStringList{} << UpdaterLanguage::english;
        QTest::newRow("english before chinese") << QStringList{"EN_us", "zh"} << UpdaterLanguage::english;
        QTest::newRow("zhx is not chinese") << QStringList{"zhx", "zh-CN"} << UpdaterLanguage::simplifiedChinese;
    }

    void resolveTakesTheFirstEnglishOrChineseCode() {
        QFETCH(QStringList, codes);
        QFETCH(UpdaterLanguage, language);
        QCOMPARE(UpdaterLocalization::resolve(codes), language);
    }

    void theBundleLanguageMatchesItsLocalizationsToTheUser_data() {
        QTest::addColumn<std::optional<QStringList>>("bundle");
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<UpdaterLanguage>("language");
        const QStringList all{"en", "zh-Hans", "zh-Hant"};
        QTest::newRow("no bundle list") << std::optional<QStringList>() << QStringList{"zh-CN"}
                                        << UpdaterLanguage::english;
        QTest::newRow("empty bundle list") << std::optional<QStringList>(QStringList{}) << QStringList{"zh-CN"}
                                           << UpdaterLanguage::english;
        QTest::newRow("zh-CN") << std::optional(all) << QStringList{"zh-CN", "zh-Hans-CN", "zh"}
                               << UpdaterLanguage::simplifiedChinese;
        QTest::newRow("zh-TW") << std::optional(all) << QStringList{"zh-TW"} << UpdaterLanguage::traditionalChinese;
        QTest::newRow("en-GB") << std::optional(all) << QStringList{"en-GB"} << UpdaterLanguage::english;
        QTest::newRow("fr then zh-HK") << std::optional(all) << QStringList{"fr-FR", "zh-HK"}
                                       << UpdaterLanguage::traditionalChinese;
        QTest::newRow("unmatched: development localization")
            << std::optional(QStringList{"zh-Hans", "en"}) << QStringList{"de-DE"} << UpdaterLanguage::simplifiedChinese;
        QTest::newRow("only what the bundle offers")
            << std::optional(QStringList{"en"}) << QStringList{"zh-CN"} << UpdaterLanguage::english;
    }

    void theBundleLanguageMatchesItsLocalizationsToTheUser() {
        QFETCH(std::optional<QStringList>, bundle);
        QFETCH(QStringList, user);
        QFETCH(UpdaterLanguage, language);
        QCOMPARE(UpdaterLocalization::current(bundle, user), language);
    }

    void bothTablesHoldEveryKeyWithItsPlaceholders() {
        const QStringList keys = UpdaterLocalization::keys();
        QCOMPARE(keys.size(), 31);
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 31);
        static const QRegularExpression placeholder("%@");
        for (const QString &key : keys) {
            for (const UpdaterLanguage language : {UpdaterLanguage::english, UpdaterLanguage::traditionalChinese}) {
                const QString text = UpdaterLocalization::translate(key, language);
                QVERIFY2(!text.isEmpty(), qPrintable(key));
                QCOMPARE(text.count(placeholder), key.count(placeholder));
            }
            // The English table translates every key.
            QVERIFY2(UpdaterLocalization::translate(key, UpdaterLanguage::english) != key, qPrintable(key));
        }
    }

    void copyLooksUpAndFills() {
        QCOMPARE(updaterCopy("稍后", QStringList{"en"}), "Later");
        QCOMPARE(updaterCopy("稍后", QStringList{"zh-TW"}), "稍後");
        QCOMPARE(updaterCopy("稍后", QStringList{"zh-Hans"}), "稍后");
        QCOMPARE(updaterCopyFormat("%@ %@ 可更新", QStringList{"en"}, {"Vellora", "2.0"}), "Vellora 2.0 is available");
        QCOMPARE(updaterCopyFormat("版本 %@（%@）", QStringList{"zh-Hant"}, {"1.2", "7"}), "版本 1.2（7）");
        // A text outside the tables comes back unchanged in every language.
        for (const char *code : {"en", "zh-Hans", "zh-Hant"})
            QCOMPARE(updaterCopy("不在表里", QStringList{QString::fromLatin1(code)}), "不在表里");
        QCOMPARE(UpdaterLocalization::fill("%@ and %@ and %@", {"one"}), "one and  and ");
    }
};

QTEST_GUILESS_MAIN(TestUpdaterLocalization)
#include "TestUpdaterLocalization.moc"

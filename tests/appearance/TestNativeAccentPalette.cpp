#include "NativeAccentPalette.h"
#include "UserDefaults.h"

#include <QTemporaryDir>
#include <QTest>

class TestNativeAccentPalette final : public QObject {
    Q_OBJECT

private slots:
    void casesInPickerOrderWithTheirColours()
    {
        QStringList rawValues;
        for (const NativeAccentPalette palette : NativeAccentPalette::allCases())
            rawValues << palette.rawValue();
        QCOMPARE(rawValues, (QStringList{"terracotta", "coral", "amber", "forest", "ocean", "violet"}));
        QCOMPARE(NativeAccentPalette(NativeAccentPalette::Terracotta).color(), QColor(180, 91, 67));
        QCOMPARE(NativeAccentPalette(NativeAccentPalette::Ocean).color(), QColor(32, 107, 174));
        QCOMPARE(NativeAccentPalette(NativeAccentPalette::Violet).color(), QColor(104, 77, 167));
        for (const NativeAccentPalette palette : NativeAccentPalette::allCases())
            QCOMPARE(NativeAccentPalette::fromRawValue(palette.rawValue()), std::optional(palette));
        QCOMPARE(NativeAccentPalette::fromRawValue("Violet"), std::nullopt);
    }

    void language_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("oceanTitle");
        QTest::newRow("en") << "en" << QStringList{"zh-Hant-TW"} << "Ocean";
        QTest::newRow("zh-Hant") << "zh-Hant" << QStringList{} << "海藍";
        QTest::newRow("zh-Hans") << "zh-Hans" << QStringList{} << "海蓝";
        QTest::newRow("system zh-TW") << "system" << QStringList{"zh-TW"} << "海藍";
        QTest::newRow("system zh-HK") << "system" << QStringList{"zh-HK", "en"} << "海藍";
        QTest::newRow("system zh-MO") << "system" << QStringList{"zh-MO"} << "海藍";
        QTest::newRow("system zh-CN") << "system" << QStringList{"zh-CN"} << "海蓝";
        QTest::newRow("system fr") << "system" << QStringList{"fr-FR", "zh-CN"} << "Ocean";
        QTest::newRow("system, no languages") << "system" << QStringList{} << "Ocean";
        QTest::newRow("capitals are folded") << "ZH-HANT" << QStringList{} << "海藍";
    }

    void language()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, preferred);
        QFETCH(QString, oceanTitle);
        QCOMPARE(NativeAccentPalette(NativeAccentPalette::Ocean).title(nativeAppearanceLanguage(setting, preferred)),
                 oceanTitle);
    }

    void current_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing stored") << QString() << "violet";
        QTest::newRow("ocean") << "ocean" << "ocean";
        QTest::newRow("a text that names no palette") << "purple" << "violet";
    }

    void current()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        UserDefaults defaults(dir.filePath("defaults.conf"));
        if (!stored.isEmpty())
            defaults.setString("vellora.accentPalette", stored);
        QCOMPARE(NativeAccentPalette::current(NativeAccentPalette::Violet, "vellora.accentPalette", defaults).rawValue(),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestNativeAccentPalette)
#include "TestNativeAccentPalette.moc"

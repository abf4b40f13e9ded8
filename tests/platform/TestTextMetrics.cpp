#include "TextMetrics.h"

#include "TestSupport.h"

#include <QScopeGuard>
#include <QTest>

#include <clocale>
#include <cstdio>

class TestTextMetrics final : public QObject {
    Q_OBJECT

private slots:
    void graphemeCount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("expected");
        QTest::newRow("empty") << QString() << qsizetype(0);
        QTest::newRow("ascii") << QStringLiteral("Vellora") << qsizetype(7);
        QTest::newRow("two Chinese characters and an emoji") << QStringLiteral("识字😀") << qsizetype(3);
        QTest::newRow("flag is one cluster") << QStringLiteral("🇨🇳") << qsizetype(1);
        QTest::newRow("combining accent") << QStringLiteral("e\u0301") << qsizetype(1);
        QTest::newRow("family emoji with joiners") << QStringLiteral("👨‍👩‍👧") << qsizetype(1);
        QTest::newRow("CRLF is one cluster") << QStringLiteral("a\r\nb") << qsizetype(3);
    }

    void graphemeCount()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, expected);
        QCOMPARE(TextMetrics::graphemeCount(text), expected);
    }

    void formatSeconds_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0.000");
        QTest::newRow("rounds half up") << 0.2186 << QStringLiteral("0.219");
        QTest::newRow("rounds down") << 0.2184 << QStringLiteral("0.218");
        QTest::newRow("large") << 12.5 << QStringLiteral("12.500");
    }

    // Scripts read these figures: a locale with a decimal comma changes nothing.
    void formatSeconds()
    {
        QFETCH(double, seconds);
        QFETCH(QString, expected);
        QCOMPARE(TextMetrics::formatSeconds(seconds), expected);

        const std::optional<QProcessEnvironment> comma = TestSupport::decimalCommaEnvironment();
        QVERIFY(comma.has_value());
        qputenv("LOCPATH", comma->value(QStringLiteral("LOCPATH")).toLocal8Bit());
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr);
        const auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });
        char printed[16];
        std::snprintf(printed, sizeof printed, "%.1f", 0.5);
        QCOMPARE(printed, "0,5");
        QCOMPARE(TextMetrics::formatSeconds(seconds), expected);
    }

    void monotonicClockAdvances()
    {
        const double first = TextMetrics::monotonicSeconds();
        QTest::qWait(20);
        const double second = TextMetrics::monotonicSeconds();
        QVERIFY(second > first);
        QVERIFY(first > 0.0);
    }
};

QTEST_GUILESS_MAIN(TestTextMetrics)
#include "TestTextMetrics.moc"

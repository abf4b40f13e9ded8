#include "LaunchOptions.h"

#include <QTest>

class TestLaunchOptions final : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<bool>("preview");
        QTest::newRow("nothing") << QStringList{"vellora"} << false << 0 << QString() << false;
        QTest::newRow("AI polish") << QStringList{"vellora", "--open-settings-ai"} << true << 1 << QString() << false;
        QTest::newRow("appearance") << QStringList{"vellora", "--open-settings-appearance"} << true << 2 << QString()
                                    << false;
        QTest::newRow("updates") << QStringList{"vellora", "--open-settings-updates"} << true << 3 << QString()
                                 << false;
        QTest::newRow("another --open-settings option opens General")
            << QStringList{"vellora", "--open-settings-preview"} << true << 0 << QString() << false;
        QTest::newRow("AI wins over the others, wherever it stands")
            << QStringList{"vellora", "--open-settings-updates", "--open-settings-appearance", "--open-settings-ai"}
            << true << 1 << QString() << false;
        QTest::newRow("appearance wins over updates")
            << QStringList{"vellora", "--open-settings-updates", "--open-settings-appearance"} << true << 2
            << QString() << false;
        QTest::newRow("screenshot with a path")
            << QStringList{"vellora", "--open-settings-ai", "--settings-screenshot", "/tmp/ai.png"} << true << 1
            << "/tmp/ai.png" << false;
        QTest::newRow("screenshot as the last argument does nothing")
            << QStringList{"vellora", "--settings-screenshot"} << false << 0 << QString() << false;
        QTest::newRow("preview toast") << QStringList{"vellora", "--preview-toast"} << false << 0 << QString() << true;
        QTest::newRow("exact spelling only") << QStringList{"vellora", "--open-setting-ai", "--Preview-toast"} << false
                                             << 0 << QString() << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, open);
        QFETCH(int, tab);
        QFETCH(QString, screenshot);
        QFETCH(bool, preview);
        const LaunchOptions options = LaunchOptions::parse(arguments);
        QCOMPARE(options.openSettings, open);
        QCOMPARE(options.initialTab, tab);
        QCOMPARE(options.screenshotPath.value_or(QString()), screenshot);
        QCOMPARE(options.previewToast, preview);
    }
};

QTEST_GUILESS_MAIN(TestLaunchOptions)
#include "TestLaunchOptions.moc"

#include "TessdataFolder.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTessdataFolder final : public QObject {
    Q_OBJECT

private slots:
    void findsTheInstalledModels() {
        const QString folder = TessdataFolder::find({});
        QVERIFY(!folder.isEmpty());
        const QStringList models = TessdataFolder::models(folder);
        for (const char *model : {"chi_sim", "chi_tra", "eng"})
            QVERIFY2(models.contains(model), qPrintable(models.join(' ')));
    }

    void configuredFolderIsTakenAsItIs() {
        QTemporaryDir dir;
        QCOMPARE(TessdataFolder::find(dir.path() + "/sub/.."), QDir::cleanPath(dir.path()));
        QCOMPARE(TessdataFolder::models(dir.path()), QStringList());
    }

    // TESSDATA_PREFIX names the folder itself or its parent; one without
    // models is passed over for the installed ones.
    void environmentPrefix_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("the folder itself") << "" << true;
        QTest::newRow("its parent") << "tessdata" << true;
        QTest::newRow("a folder without models") << "empty" << false;
    }

    void environmentPrefix() {
        QFETCH(QString, layout);
        QFETCH(bool, chosen);
        const QString installed = TessdataFolder::find({});
        QTemporaryDir dir;
        const QString models = layout.isEmpty() ? dir.path() : dir.filePath(layout);
        QVERIFY(QDir().mkpath(models));
        if (layout != "empty")
            QVERIFY(QFile::link(installed + "/eng.traineddata", models + "/eng.traineddata"));
        QString found;
        {
            TestSupport::EnvironmentChange environment;
            environment.set("TESSDATA_PREFIX", QFile::encodeName(dir.path()));
            found = TessdataFolder::find({});
        }
        QCOMPARE(found, chosen ? QDir::cleanPath(models) : installed);
        if (chosen)
            QCOMPARE(TessdataFolder::models(found), QStringList{"eng"});
    }
};

QTEST_APPLESS_MAIN(TestTessdataFolder)
#include "TestTessdataFolder.moc"

#include "VelloraIcon.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QColor centre(const QIcon &icon, int size) {
    return icon.pixmap(size, size).toImage().pixelColor(size / 2, size / 2);
}

QPixmap solid(const QColor &color) {
    QPixmap pixmap(32, 32);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

class TestVelloraIcon final : public QObject {
    Q_OBJECT

private slots:
    void brandIconIsEmbeddedAtEverySize() {
        const QIcon icon = VelloraIcon::image(NativeAccentPalette::Ocean);
        QVERIFY(!icon.isNull());
        // Pixel-fitted renderings, not one image scaled: the sizes are available as such.
        const QList<QSize> sizes = icon.availableSizes();
        for (const int size : VelloraIcon::brandIconSizes())
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        // Opaque artwork in the middle, transparent corners (a rounded plate).
        const QImage large = icon.pixmap(512, 512).toImage();
        QCOMPARE(large.pixelColor(256, 256).alpha(), 255);
        QCOMPARE(large.pixelColor(2, 2).alpha(), 0);
        // Every palette gets the same brand icon.
        QCOMPARE(VelloraIcon::image(NativeAccentPalette::Coral).pixmap(64, 64).toImage(),
                 icon.pixmap(64, 64).toImage());
    }

    void fallsBackToTheVectorThenTheWindowIcon() {
        QTemporaryDir dir;
        const QString brand = dir.filePath("BrandIcon.png");
        const QString vector = dir.filePath("AppIcon.svg");
        QFile::copy(VelloraIcon::appIconPath(), vector);
        QGuiApplication::setWindowIcon(QIcon(solid(Qt::red)));

        // Missing brand PNG: the vector.
        const QIcon fromVector = VelloraIcon::load(brand, vector);
        QVERIFY(!fromVector.isNull());
        QCOMPARE(centre(fromVector, 64), centre(VelloraIcon::image(NativeAccentPalette::Violet), 64));

        // An unreadable brand PNG counts as missing.
        QFile broken(brand);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a png");
        broken.close();
        QCOMPARE(centre(VelloraIcon::load(brand, vector), 64), centre(fromVector, 64));

        // Neither: the application's current icon.
        QCOMPARE(centre(VelloraIcon::load(brand, dir.filePath("missing.svg")), 16), QColor(Qt::red));
        QFile garbage(vector);
        QVERIFY(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
        garbage.write("<svg");
        garbage.close();
        QCOMPARE(centre(VelloraIcon::load(brand, vector), 16), QColor(Qt::red));

        // A readable brand PNG wins over both.
        QVERIFY(solid(Qt::blue).save(brand));
        QCOMPARE(centre(VelloraIcon::load(brand, vector), 16), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestVelloraIcon)
#include "TestVelloraIcon.moc"

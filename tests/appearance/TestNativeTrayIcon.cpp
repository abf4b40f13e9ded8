#include "NativeTrayIcon.h"

#include <QTest>

namespace {

// Mean lightness of the drawn pixels, and how much of the square they cover.
struct Ink {
    double lightness = 0;
    double coverage = 0;
};

Ink ink(const QImage &image) {
    double weight = 0;
    double lightness = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            weight += color.alphaF();
            lightness += color.alphaF() * color.lightnessF();
        }
    }
    return {weight > 0 ? lightness / weight : 0, weight / (image.width() * image.height())};
}

} // namespace

class TestNativeTrayIcon final : public QObject {
    Q_OBJECT

private slots:
    void variantsContrastWithTheirPanel_data() {
        QTest::addColumn<int>("size");
        for (const int size : {16, 22, 24, 32, 48})
            QTest::addRow("%d px", size) << size;
    }

    void variantsContrastWithTheirPanel() {
        QFETCH(int, size);
        const Ink forLightPanel = ink(NativeTrayIcon::image(false, size));
        const Ink forDarkPanel = ink(NativeTrayIcon::image(true, size));
        QVERIFY2(forLightPanel.lightness < 0.25, qPrintable(QString::number(forLightPanel.lightness)));
        QVERIFY2(forDarkPanel.lightness > 0.85, qPrintable(QString::number(forDarkPanel.lightness)));
        // Enough ink to read, and transparent around it.
        for (const Ink &variant : {forLightPanel, forDarkPanel}) {
            QVERIFY2(variant.coverage > 0.12 && variant.coverage < 0.6, qPrintable(QString::number(variant.coverage)));
        }
        const QImage image = NativeTrayIcon::image(true, size);
        QCOMPARE(image.pixelColor(size / 2, 0).alpha(), 0);
    }

    void iconOffersEveryTraySize() {
        const QIcon icon = NativeTrayIcon::icon(true);
        for (const int size : {16, 22, 24, 32, 48, 64})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(QSize(24, 24)).toImage(),
                 NativeTrayIcon::image(true, 24).convertToFormat(icon.pixmap(QSize(24, 24)).toImage().format()));
    }
};

QTEST_MAIN(TestNativeTrayIcon)
#include "TestNativeTrayIcon.moc"

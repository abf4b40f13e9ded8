#include "NativeTrayIcon.h"

#include "ColorContrast.h"

#include <QPainter>
#include <QTest>

#include <cmath>
#include <optional>

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
        const Ink forLightPanel = ink(NativeTrayIcon::image(NativeTrayIcon::Variant::ForLightPanel, size));
        const Ink forDarkPanel = ink(NativeTrayIcon::image(NativeTrayIcon::Variant::ForDarkPanel, size));
        QVERIFY2(forLightPanel.lightness < 0.25, qPrintable(QString::number(forLightPanel.lightness)));
        QVERIFY2(forDarkPanel.lightness > 0.85, qPrintable(QString::number(forDarkPanel.lightness)));
        // Enough ink to read, and transparent around it.
        for (const Ink &variant : {forLightPanel, forDarkPanel}) {
            QVERIFY2(variant.coverage > 0.12 && variant.coverage < 0.6, qPrintable(QString::number(variant.coverage)));
        }
        const QImage image = NativeTrayIcon::image(NativeTrayIcon::Variant::ForDarkPanel, size);
        QCOMPARE(image.pixelColor(size / 2, 0).alpha(), 0);
    }

    void iconOffersEveryTraySize() {
        const QIcon icon = NativeTrayIcon::icon(NativeTrayIcon::Variant::Badge);
        for (const int size : {16, 22, 24, 32, 48, 64})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(QSize(24, 24)).toImage(),
                 NativeTrayIcon::image(NativeTrayIcon::Variant::Badge, 24)
                     .convertToFormat(icon.pixmap(QSize(24, 24)).toImage().format()));
    }

    // The tray's own text colour says how bright the panel is; without it the badge.
    void variantFollowsTheTray_data() {
        QTest::addColumn<std::optional<QColor>>("foreground");
        QTest::addColumn<NativeTrayIcon::Variant>("variant");
        QTest::newRow("white text") << std::optional<QColor>(Qt::white) << NativeTrayIcon::Variant::ForDarkPanel;
        QTest::newRow("light grey text") << std::optional<QColor>(QColor(190, 190, 190))
                                         << NativeTrayIcon::Variant::ForDarkPanel;
        QTest::newRow("black text") << std::optional<QColor>(Qt::black) << NativeTrayIcon::Variant::ForLightPanel;
        QTest::newRow("dark blue text") << std::optional<QColor>(QColor(20, 40, 90))
                                        << NativeTrayIcon::Variant::ForLightPanel;
        QTest::newRow("nothing said") << std::optional<QColor>() << NativeTrayIcon::Variant::Badge;
        QTest::newRow("an invalid colour") << std::optional<QColor>(QColor()) << NativeTrayIcon::Variant::Badge;
    }

    void variantFollowsTheTray() {
        QFETCH(std::optional<QColor>, foreground);
        QFETCH(NativeTrayIcon::Variant, variant);
        QCOMPARE(NativeTrayIcon::variantFor(foreground), variant);
    }

    // The badge stands out from light, mid-grey and dark panels at every size,
    // and its glyph from the badge. Its plate is as bright as a colour can be
    // that parts from white, mid grey, slate and black alike (contrast 1.7 or
    // more); the white glyph stands out from the plate far more.
    void theBadgeReadsOnEveryPanel_data() {
        QTest::addColumn<QColor>("panel");
        QTest::addColumn<int>("size");
        const QList<std::pair<const char *, QColor>> panels{
            {"white", Qt::white},           {"light grey", QColor(232, 232, 235)}, {"mid grey", QColor(128, 128, 128)},
            {"slate", QColor(49, 54, 59)},  {"near black", QColor(30, 30, 30)},   {"black", Qt::black}};
        for (const auto &[name, colour] : panels) {
            for (const int size : {16, 22, 32})
                QTest::addRow("%s, %d px", name, size) << colour << size;
        }
    }

    void theBadgeReadsOnEveryPanel() {
        QFETCH(QColor, panel);
        QFETCH(int, size);
        QImage shown(size, size, QImage::Format_RGB32);
        shown.fill(panel);
        QPainter painter(&shown);
        painter.drawImage(0, 0, NativeTrayIcon::image(NativeTrayIcon::Variant::Badge, size));
        painter.end();
        int plate = 0;
        int glyph = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor colour = shown.pixelColor(x, y);
                plate += ColorContrast::ratio(colour, panel) >= 1.7 ? 1 : 0;
                glyph += colour.lightnessF() > 0.9f ? 1 : 0;
            }
        }
        // Most of the square is plate or glyph, apart from the panel.
        QVERIFY2(plate >= size * size * 6 / 10, qPrintable(QString::number(plate)));
        // White lines on the plate: the glyph is there at every size.
        QVERIFY2(glyph >= size * size / 10, qPrintable(QString::number(glyph)));
    }
};

QTEST_MAIN(TestNativeTrayIcon)
#include "TestNativeTrayIcon.moc"

#include "HanGlyphShapes.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <vector>

namespace {

struct Pair {
    char32_t simplified;
    char32_t traditional;
};

// Common characters whose two forms differ, some a little (说 說), some wholly.
const Pair pairs[] = {{U'会', U'會'}, {U'说', U'說'}, {U'发', U'發'}, {U'门', U'門'}, {U'动', U'動'},
                      {U'经', U'經'}, {U'试', U'試'}, {U'单', U'單'}, {U'这', U'這'}, {U'时', U'時'}};

// The shape of c drawn by Qt in family at pixelSize, with a margin around.
std::optional<HanGlyphShapes::Shape> drawnShape(char32_t c, const QString &family, int pixelSize,
                                                const QColor &colour = Qt::black) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    QImage image(pixelSize * 2, pixelSize * 2, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(image.rect(), Qt::AlignCenter, QString::fromUcs4(&c, 1));
    }
    std::vector<float> ink(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            ink[size_t(y * image.width() + x)] = 1.0f - float(line[x]) / 255.0f;
    }
    return HanGlyphShapes::fromInk({ink.data(), image.width(), image.height()}, image.rect());
}

} // namespace

class TestHanGlyphShapes final : public QObject {
    Q_OBJECT

private slots:
    // A character drawn in another family, brush and serif ones included, is
    // closer to the font's drawing of its own form than to the other form's.
    // Some pairs go wrong in a brush family, far from the font; over the
    // pairs, the form on the page wins clearly.
    void eachFormIsClosestToItself_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        for (const char *family : {"WenQuanYi Zen Hei", "AR PL UMing TW", "AR PL UKai TW", "Noto Serif CJK SC"}) {
            for (int size : {14, 28})
                QTest::addRow("%s %d px", family, size) << QString::fromLatin1(family) << size;
        }
    }

    void eachFormIsClosestToItself() {
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family + " is not installed"));
        HanGlyphShapes::Font font;
        int right = 0;
        int compared = 0;
        double margin = 0;
        for (const Pair &pair : pairs) {
            const std::optional<HanGlyphShapes::Shape> simplified = font.shape(pair.simplified);
            const std::optional<HanGlyphShapes::Shape> traditional = font.shape(pair.traditional);
            QVERIFY(simplified && traditional);
            for (const bool onPageSimplified : {true, false}) {
                const std::optional<HanGlyphShapes::Shape> seen =
                    drawnShape(onPageSimplified ? pair.simplified : pair.traditional, family, pixelSize);
                QVERIFY(seen);
                const double toOwn = HanGlyphShapes::distance(*seen, onPageSimplified ? *simplified : *traditional);
                const double toOther = HanGlyphShapes::distance(*seen, onPageSimplified ? *traditional : *simplified);
                right += toOwn < toOther ? 1 : 0;
                margin += toOther - toOwn;
                ++compared;
            }
        }
        qInfo("%d of %d right, mean margin %.3f", right, compared, margin / compared);
        QVERIFY2(4 * right >= 3 * compared, qPrintable(QString("%1 of %2 right").arg(right).arg(compared)));
        QVERIFY2(margin > 0.02 * compared, qPrintable(QString("mean margin %1").arg(margin / compared)));
    }

    void shapesCompareWhateverTheirSize() {
        HanGlyphShapes::Font font;
        const std::optional<HanGlyphShapes::Shape> drawn = font.shape(U'會');
        QVERIFY(drawn);
        QVERIFY(HanGlyphShapes::distance(*drawn, *drawn) < 1e-6);
        const std::optional<HanGlyphShapes::Shape> small = drawnShape(U'會', "Noto Sans CJK TC", 28);
        const std::optional<HanGlyphShapes::Shape> large = drawnShape(U'會', "Noto Sans CJK TC", 48);
        QVERIFY(small && large);
        QVERIFY2(HanGlyphShapes::distance(*small, *large) < 0.15,
                 qPrintable(QString::number(HanGlyphShapes::distance(*small, *large))));
    }

    // Text in a pale colour (a code comment, greyed-out text) is told apart
    // as black text is; ink fainter than any text is paper.
    void paleInkIsClosestToItsOwnForm() {
        HanGlyphShapes::Font font;
        int right = 0;
        int compared = 0;
        double margin = 0;
        for (const Pair &pair : pairs) {
            for (const bool onPageSimplified : {true, false}) {
                const char32_t c = onPageSimplified ? pair.simplified : pair.traditional;
                const std::optional<HanGlyphShapes::Shape> seen =
                    drawnShape(c, "Noto Sans Mono CJK SC", 16, QColor(0xa8, 0xa8, 0xa8));
                QVERIFY2(seen, qPrintable(QString::fromUcs4(&c, 1)));
                const double toOwn = HanGlyphShapes::distance(*seen, *font.shape(c));
                const double toOther = HanGlyphShapes::distance(
                    *seen, *font.shape(onPageSimplified ? pair.traditional : pair.simplified));
                right += toOwn < toOther ? 1 : 0;
                margin += toOther - toOwn;
                ++compared;
            }
        }
        QVERIFY2(4 * right >= 3 * compared, qPrintable(QString("%1 of %2 right").arg(right).arg(compared)));
        QVERIFY2(margin > 0.02 * compared, qPrintable(QString("mean margin %1").arg(margin / compared)));
        QVERIFY(!drawnShape(U'會', "Noto Sans CJK TC", 18, QColor(0xe8, 0xe8, 0xe8)));
    }

    void blankInkHasNoShape() {
        std::vector<float> ink(30 * 30, 0.0f);
        QVERIFY(!HanGlyphShapes::fromInk({ink.data(), 30, 30}, QRect(0, 0, 30, 30)));
        // A box outside the image holds nothing either.
        QVERIFY(!HanGlyphShapes::fromInk({ink.data(), 30, 30}, QRect(40, 40, 10, 10)));
    }
};

QTEST_MAIN(TestHanGlyphShapes)
#include "TestHanGlyphShapes.moc"

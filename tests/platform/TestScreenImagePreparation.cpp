#include "ScreenImagePreparation.h"

#include "TestSupport.h"
#include "TextImages.h"

#include <QPainter>
#include <QTest>

namespace {

// Pixels darker than level inside rect.
int pixelsDarkerThan(const GreyImage &image, const QRect &rect, int level) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.at(x, y) < level ? 1 : 0;
    }
    return count;
}

// Pixels darker than the middle grey inside rect.
int darkPixels(const GreyImage &image, const QRect &rect) {
    return pixelsDarkerThan(image, rect, 128);
}

// Pixels that are not (nearly) white inside rect: faint rules and frames count too.
int greyPixels(const GreyImage &image, const QRect &rect) {
    return pixelsDarkerThan(image, rect, 235);
}

QRect whole(const GreyImage &image) {
    return QRect(0, 0, image.width, image.height);
}

} // namespace

class TestScreenImagePreparation final : public QObject {
    Q_OBJECT

private slots:
    void transparencyReadsAsPaper() {
        QImage image(4, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(0, 0, 0, 0));
        image.setPixel(1, 0, qRgba(0, 0, 0, 255));
        image.setPixel(2, 0, qRgba(255, 255, 255, 255));
        image.setPixel(3, 0, qRgba(0, 0, 0, 128));
        const GreyImage grey = ScreenImagePreparation::toGrey(image);
        QCOMPARE(grey.at(0, 0), 255);
        QCOMPARE(grey.at(1, 0), 0);
        QCOMPARE(grey.at(2, 0), 255);
        QVERIFY(qAbs(grey.at(3, 0) - 127) <= 1);
    }

    // Light text on a dark theme, and on the accent of a highlighted row,
    // ends up dark on white.
    void backgroundsBecomeWhite_data() {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light theme") << QColor(0xfb, 0xfb, 0xfb) << QColor(0x1d, 0x1d, 0x1f);
        QTest::newRow("dark theme") << QColor(0x1f, 0x1f, 0x22) << QColor(0xe8, 0xe8, 0xea);
        QTest::newRow("accent highlight") << QColor(0x24, 0x6b, 0xfd) << QColor(Qt::white);
        QTest::newRow("grey panel") << QColor(0xd8, 0xd8, 0xd8) << QColor(0x30, 0x30, 0x30);
    }

    void backgroundsBecomeWhite() {
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        TextImages::Style style;
        style.background = background;
        style.text = text;
        GreyImage image = ScreenImagePreparation::toGrey(TextImages::render({"识别 Text"}, style));

        ScreenImagePreparation::makeBackgroundLight(image);

        QCOMPARE(image.at(0, 0), 255);
        QCOMPARE(image.at(image.width - 1, image.height - 1), 255);
        const int ink = darkPixels(image, whole(image));
        QVERIFY2(ink > 100 && ink < image.width * image.height / 4, qPrintable(QString::number(ink)));
    }

    // Grid lines go; the glyphs between them stay.
    void rulesAreRemovedAndGlyphsKept() {
        QImage table(300, 91, QImage::Format_RGB32);
        table.fill(Qt::white);
        QPainter painter(&table);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(10, 22, "名称");
        painter.drawText(110, 52, "12.50");
        painter.setPen(QColor(0xb0, 0xb0, 0xb8));
        for (int y : {0, 30, 60, 90})
            painter.drawLine(0, y, 299, y);
        for (int x : {0, 100, 200, 299})
            painter.drawLine(x, 0, x, 90);
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(table);
        ScreenImagePreparation::makeBackgroundLight(image);
        const int glyphsBefore = darkPixels(image, QRect(5, 5, 90, 20)) + darkPixels(image, QRect(105, 35, 90, 20));

        ScreenImagePreparation::removeRules(image, ScreenImagePreparation::rowBackgrounds(image));

        const auto lightRow = [&](int y) {
            return greyPixels(image, QRect(0, y, image.width, 1)) == 0;
        };
        const auto lightColumn = [&](int x) {
            return greyPixels(image, QRect(x, 0, 1, image.height)) == 0;
        };
        for (int y : {0, 30, 60, 90})
            QVERIFY2(lightRow(y), qPrintable(QString("row %1").arg(y)));
        for (int x : {0, 100, 200, 299})
            QVERIFY2(lightColumn(x), qPrintable(QString("column %1").arg(x)));
        QCOMPARE(darkPixels(image, QRect(5, 5, 90, 20)) + darkPixels(image, QRect(105, 35, 90, 20)), glyphsBefore);
    }

    // Column rules that stop at a header row (and so span far less than the
    // image) go too; a tall glyph and a "|" typed in the text stay.
    void columnRulesBelowAHeaderAreRemoved() {
        QImage table(320, 200, QImage::Format_RGB32);
        table.fill(Qt::white);
        QPainter painter(&table);
        painter.fillRect(QRect(0, 0, 320, 80), QColor(0xe8, 0xe8, 0xe8));
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(10, 50, "名称");
        painter.drawText(10, 110, "丨川 a | b");
        painter.drawText(110, 150, "12.50");
        painter.setPen(QColor(0xb0, 0xb0, 0xb8));
        for (int x : {100, 200})
            painter.drawLine(x, 80, x, 199);
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(table);
        ScreenImagePreparation::makeBackgroundLight(image);
        const QRect text(5, 88, 90, 30);
        const int textBefore = darkPixels(image, text);

        ScreenImagePreparation::removeRules(image, ScreenImagePreparation::rowBackgrounds(image));

        for (int x : {100, 200})
            QVERIFY2(greyPixels(image, QRect(x, 80, 1, 120)) == 0, qPrintable(QString("column %1").arg(x)));
        QCOMPARE(darkPixels(image, text), textBefore);
    }

    // A filled default button hides white text from the row's background,
    // also when its fill is light enough to pass for a background itself.
    void filledShapesBecomeLight_data() {
        QTest::addColumn<QColor>("fill");
        QTest::addColumn<QColor>("panel");
        QTest::newRow("accent on white") << QColor(0x24, 0x6b, 0xfd) << QColor(Qt::white);
        QTest::newRow("light blue on grey") << QColor(0x4a, 0x9e, 0xf0) << QColor(0xe1, 0xe1, 0xe1);
    }

    void filledShapesBecomeLight() {
        QFETCH(QColor, fill);
        QFETCH(QColor, panel);
        QImage button(240, 60, QImage::Format_RGB32);
        button.fill(panel);
        QPainter painter(&button);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(20, 12, 120, 36), 5, 5);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(40, 36, "保存设置");
        painter.setPen(Qt::black);
        painter.drawText(160, 36, "OK");
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(button);
        ScreenImagePreparation::makeBackgroundLight(image);

        ScreenImagePreparation::makeFilledShapesLight(image);

        QCOMPARE(image.at(25, 16), 255);
        const int textInk = darkPixels(image, QRect(38, 18, 70, 22));
        QVERIFY2(textInk > 40 && textInk < 70 * 22 / 2, qPrintable(QString::number(textInk)));
        // No outline is left where the fill met the panel.
        QCOMPARE(greyPixels(image, QRect(20, 30, 3, 1)), 0);
        QCOMPARE(greyPixels(image, QRect(40, 11, 80, 2)), 0);
    }

    // Toggle switches, a ticked check box and a radio button beside their
    // labels are painted over; the labels, a bold heading and round or dense
    // glyphs of the same size stay.
    void controlsArePaintedOver_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("12 px") << 12;
        QTest::newRow("20 px") << 20;
        QTest::newRow("28 px") << 28;
    }

    void controlsArePaintedOver() {
        QFETCH(int, pixelSize);
        const int row = pixelSize * 2;
        QImage dialog(pixelSize * 22, row * 5, QImage::Format_RGB32);
        dialog.fill(QColor(0xf4, 0xf4, 0xf4));
        QPainter painter(&dialog);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(pixelSize);
        QFont bold = font;
        bold.setBold(true);
        bold.setPixelSize(pixelSize * 3 / 2);
        const int box = pixelSize * 11 / 10;
        const auto controlRect = [&](int r, int width) {
            return QRect(pixelSize, r * row + (row - box) / 2, width, box);
        };
        QList<QRect> controls;
        QList<QRect> texts;
        // A heading of dense bold glyphs and round letters.
        painter.setFont(bold);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        texts << QRect(pixelSize, 0, pixelSize * 20, row);
        painter.drawText(texts.last(), Qt::AlignVCenter, "偏好设置 Export");
        painter.setFont(font);
        for (int r = 1; r < 5; ++r) {
            const QRect control = controlRect(r, r <= 2 ? box * 9 / 5 : box);
            controls << control;
            painter.setPen(Qt::NoPen);
            if (r == 1 || r == 2) {
                // A switch off (light track) and on (dark track).
                painter.setBrush(r == 1 ? QColor(0xc8, 0xc8, 0xc8) : QColor(0x5a, 0x5a, 0x5a));
                painter.drawRoundedRect(QRectF(control), box / 2.0, box / 2.0);
                painter.setBrush(Qt::white);
                const qreal knob = box - 4;
                painter.drawEllipse(
                    QRectF(r == 1 ? control.left() + 2 : control.right() - knob - 1, control.top() + 2, knob, knob));
            } else if (r == 3) {
                // A ticked check box.
                painter.setBrush(QColor(0x5a, 0x5a, 0x5a));
                painter.drawRoundedRect(QRectF(control), 3, 3);
                painter.setPen(QPen(Qt::white, std::max(2, pixelSize / 8)));
                painter.drawPolyline(QPolygonF{QPointF(control.left() + box * 0.2, control.top() + box * 0.5),
                                               QPointF(control.left() + box * 0.42, control.top() + box * 0.72),
                                               QPointF(control.left() + box * 0.8, control.top() + box * 0.28)});
            } else {
                // A chosen radio button.
                painter.setBrush(QColor(0x24, 0x6b, 0xfd));
                painter.drawEllipse(QRectF(control));
                painter.setBrush(Qt::white);
                painter.drawEllipse(QRectF(control).adjusted(box * 0.33, box * 0.33, -box * 0.33, -box * 0.33));
            }
            painter.setPen(QColor(0x20, 0x20, 0x20));
            texts << QRect(control.right() + pixelSize, r * row, pixelSize * 12, row);
            painter.drawText(texts.last(), Qt::AlignVCenter,
                             QStringList{"", "显示通知", "Hide tray icon", "界面语言 口回", "深色 ODQ"}.at(r));
        }
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(dialog);
        ScreenImagePreparation::makeBackgroundLight(image);
        QList<int> textsBefore;
        for (const QRect &text : texts)
            textsBefore << darkPixels(image, text);

        ScreenImagePreparation::makeFilledShapesLight(image);

        for (const QRect &control : controls)
            QVERIFY2(greyPixels(image, control) == 0,
                     qPrintable(QString("control in row %1").arg(control.top() / row)));
        for (int i = 0; i < texts.size(); ++i)
            QVERIFY2(darkPixels(image, texts.at(i)) == textsBefore.at(i), qPrintable(QString("text %1").arg(i)));
    }

    // A highlight that stops short of the row's end leaves the menu's own
    // colour beside it, which must not turn dark when the row is inverted.
    void aHighlightShorterThanItsRowLeavesNoDarkBlock() {
        QImage menu(300, 3 * 32, QImage::Format_RGB32);
        menu.fill(Qt::white);
        QPainter painter(&menu);
        painter.fillRect(QRect(0, 32, 240, 32), QColor(0x6a, 0x6a, 0x6a));
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(12, 22, "剪切");
        painter.drawText(12, 86, "撤销");
        painter.setPen(Qt::white);
        painter.drawText(12, 54, "新建窗口");
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(menu);

        ScreenImagePreparation::makeBackgroundLight(image);

        QCOMPARE(greyPixels(image, QRect(240, 0, 60, image.height)), 0);
        QVERIFY(darkPixels(image, QRect(8, 36, 100, 24)) > 40);
    }

    // A row through a white text field on a grey panel has two backgrounds;
    // both become white and the text on each stays dark.
    void everyBackgroundOfARowBecomesWhite() {
        QImage dialog(320, 40, QImage::Format_RGB32);
        dialog.fill(QColor(0xd8, 0xd8, 0xd8));
        QPainter painter(&dialog);
        painter.fillRect(QRect(140, 4, 170, 32), Qt::white);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(QColor(0x30, 0x30, 0x30));
        painter.drawText(10, 26, "服务地址");
        painter.drawText(150, 26, "deepseek-chat");
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(dialog);
        ScreenImagePreparation::makeBackgroundLight(image);
        const int inkBefore = darkPixels(image, whole(image));

        ScreenImagePreparation::evenOutBackground(image, 9);

        for (const QPoint point : {QPoint(2, 20), QPoint(120, 30), QPoint(300, 30), QPoint(145, 8)})
            QVERIFY2(
                image.at(point.x(), point.y()) >= 250,
                qPrintable(QString("%1,%2: %3").arg(point.x()).arg(point.y()).arg(image.at(point.x(), point.y()))));
        const int inkAfter = darkPixels(image, whole(image));
        QVERIFY2(inkAfter >= inkBefore * 9 / 10 && inkAfter <= inkBefore * 11 / 10,
                 qPrintable(QString("%1 -> %2").arg(inkBefore).arg(inkAfter)));
    }

    // The inside of a dense bold glyph is as dark as its strokes, and a
    // closing fills it in; it is text, not a background to make white.
    void denseBoldGlyphsStayDark() {
        // Light on a dark theme, where anti-aliasing closes the gaps most.
        QImage heading(240, 40, QImage::Format_RGB32);
        heading.fill(QColor(0x2a, 0x2a, 0x2c));
        QPainter painter(&heading);
        QFont font("WenQuanYi Micro Hei");
        font.setPixelSize(18);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(0xe8, 0xe8, 0xea));
        const QString text = "偏好设置疆警";
        const QFontMetrics metrics(font);
        QList<QRect> glyphs;
        for (int i = 0, x = 10; i < text.size(); x += metrics.horizontalAdvance(text.at(i)), ++i) {
            painter.drawText(x, 28, text.at(i));
            glyphs << QRect(x, 4, metrics.horizontalAdvance(text.at(i)), 32);
        }
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(heading);
        ScreenImagePreparation::makeBackgroundLight(image);
        QList<int> inkBefore;
        for (const QRect &glyph : glyphs)
            inkBefore << darkPixels(image, glyph);

        ScreenImagePreparation::evenOutBackground(image, 9);

        for (int i = 0; i < glyphs.size(); ++i) {
            const int inkAfter = darkPixels(image, glyphs.at(i));
            QVERIFY2(inkAfter >= inkBefore.at(i) * 4 / 5,
                     qPrintable(QString("%1: %2 -> %3").arg(text.at(i)).arg(inkBefore.at(i)).arg(inkAfter)));
        }
    }

    // The frames of a text field and a button go; text inside them, and
    // glyphs that are squares themselves (口, 回, 【】), stay.
    void outlinesAreRemovedAndGlyphsKept_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("12 px") << 12;
        QTest::newRow("16 px") << 16;
        QTest::newRow("28 px") << 28;
    }

    void outlinesAreRemovedAndGlyphsKept() {
        QFETCH(int, pixelSize);
        const int height = pixelSize * 2;
        QImage dialog(pixelSize * 30, height + 20, QImage::Format_RGB32);
        dialog.fill(Qt::white);
        QPainter painter(&dialog);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(pixelSize);
        painter.setFont(font);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        const QRect squares(pixelSize, 10, pixelSize * 8, height);
        painter.drawText(squares, Qt::AlignVCenter, "口回【门】");
        const QRect field(pixelSize * 10, 10, pixelSize * 9, height);
        const QRect button(pixelSize * 20, 10, pixelSize * 9, height);
        painter.drawText(field.adjusted(pixelSize / 2, 0, 0, 0), Qt::AlignVCenter, "已保存");
        painter.drawText(button, Qt::AlignCenter, "取消");
        painter.setPen(QColor(0x9a, 0x9a, 0x9a));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(field).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(dialog);
        const auto inside = [](const QRect &rect) {
            return rect.adjusted(3, 3, -3, -3);
        };
        const int squaresBefore = darkPixels(image, squares);
        const int fieldTextBefore = darkPixels(image, inside(field));
        const int buttonTextBefore = darkPixels(image, inside(button));

        ScreenImagePreparation::removeOutlines(image);

        for (const QRect &frame : {field, button}) {
            QCOMPARE(greyPixels(image, QRect(frame.left(), frame.top(), frame.width(), 1)), 0);
            QCOMPARE(greyPixels(image, QRect(frame.left(), frame.bottom(), frame.width(), 1)), 0);
            QCOMPARE(greyPixels(image, QRect(frame.left(), frame.top(), 1, frame.height())), 0);
            QCOMPARE(greyPixels(image, QRect(frame.right(), frame.top(), 1, frame.height())), 0);
        }
        QCOMPARE(darkPixels(image, squares), squaresBefore);
        QCOMPARE(darkPixels(image, inside(field)), fieldTextBefore);
        QCOMPARE(darkPixels(image, inside(button)), buttonTextBefore);
    }

    // Greyed-out text becomes dark enough to read, and nothing else changes:
    // plain text, a check box's light frame, a row of filled dots, the rims
    // of coloured icons, the frames of header cells, text cut by the image's
    // edge and marks lighter than any text.
    void faintTextIsDarkenedAndNothingElse_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("12 px") << 12;
        QTest::newRow("16 px") << 16;
        QTest::newRow("28 px") << 28;
    }

    void faintTextIsDarkenedAndNothingElse() {
        QFETCH(int, pixelSize);
        const int row = pixelSize * 2;
        QImage menu(pixelSize * 16, row * 7, QImage::Format_RGB32);
        menu.fill(Qt::white);
        QPainter painter(&menu);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(pixelSize);
        painter.setFont(font);
        const auto rowRect = [&](int i) {
            return QRect(pixelSize * 2, i * row, pixelSize * 13, row);
        };
        painter.setPen(QColor(0x1d, 0x1d, 0x1f));
        painter.drawText(rowRect(0), Qt::AlignVCenter, "新建窗口");
        painter.setPen(QColor(0xbe, 0xbe, 0xbe));
        painter.drawText(rowRect(1), Qt::AlignVCenter, "另存为 Save As");
        // Greyed-out text that the selection's top edge cuts through.
        painter.drawText(pixelSize * 9, pixelSize / 3, "草稿 Draft");
        painter.setPen(QColor(0xe0, 0xe0, 0xe0));
        painter.drawText(rowRect(2), Qt::AlignVCenter, "水印 Draft");
        const QRect box(pixelSize / 2, 3 * row + pixelSize / 2, pixelSize, pixelSize);
        painter.setPen(QColor(0xc0, 0xc0, 0xc0));
        painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc0, 0xc0, 0xc0));
        // The dots of a title bar, close enough together to pass for a word.
        const int dot = pixelSize / 2;
        for (int i = 0; i < 6; ++i)
            painter.drawEllipse(QRectF(pixelSize * 2 + i * 2 * dot, 4 * row + dot, dot, dot));
        // The rims of a tool strip's coloured icons, as light as the greyed-out text.
        painter.setBrush(Qt::NoBrush);
        const QList<QColor> icons{QColor(0xe5, 0x48, 0x4d), QColor(0x30, 0xa4, 0x6c), QColor(0xf5, 0xa6, 0x23),
                                  QColor(0x5b, 0x6b, 0xf0)};
        for (int i = 0; i < 6; ++i) {
            painter.setPen(QPen(icons.at(i % icons.size()), 1.5));
            painter.drawRoundedRect(QRectF(pixelSize * 2 + i * 2 * dot, 5 * row + dot, dot, dot), 2, 2);
        }
        // The light frames of two header cells side by side.
        painter.setPen(QColor(0xc8, 0xc8, 0xc8));
        for (int i = 0; i < 2; ++i)
            painter.drawRect(QRectF(pixelSize * 2 + i * (pixelSize * 5 + 2), 6 * row + 2, pixelSize * 5, pixelSize * 1.3)
                                 .adjusted(0.5, 0.5, -0.5, -0.5));
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(menu);
        const GreyImage before = image;
        QCOMPARE(darkPixels(image, rowRect(1)), 0);

        ScreenImagePreparation::darkenFaintText(image, menu);

        QVERIFY2(pixelsDarkerThan(image, rowRect(1), 60) > pixelSize * 4,
                 qPrintable(QString::number(pixelsDarkerThan(image, rowRect(1), 60))));
        // Only the greyed-out row changed.
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (!rowRect(1).contains(x, y) && image.at(x, y) != before.at(x, y))
                    QFAIL(qPrintable(QString("pixel %1,%2 changed").arg(x).arg(y)));
            }
        }
    }

    // A photograph's grain holds light shapes in rows that pass for faint
    // words; they stay as they are, or Tesseract spends its time on them.
    void aPhotoHoldsNoFaintText() {
        const QImage photo(TestSupport::sourceDir() + "/tests/platform/data/photo-like-1600x900.jpg");
        QVERIFY(!photo.isNull());
        GreyImage image = ScreenImagePreparation::toGrey(photo);
        ScreenImagePreparation::makeBackgroundLight(image);
        ScreenImagePreparation::evenOutBackground(image, 9);
        const GreyImage before = image;

        ScreenImagePreparation::darkenFaintText(image, photo);

        QVERIFY(image.pixels == before.pixels);
    }

    // The chevron of a drop-down list goes; a dash alone
    // in a cell, a full stop after the text, the dot of 讠 in a bold heading
    // and a tilde stay.
    void strayMarksAreRemovedAndPunctuationKept_data() {
        QTest::addColumn<int>("scale");
        QTest::newRow("1x") << 1;
        QTest::newRow("2x") << 2;
    }

    void strayMarksAreRemovedAndPunctuationKept() {
        QFETCH(int, scale);
        QImage dialog(360 * scale, 150 * scale, QImage::Format_RGB32);
        dialog.fill(Qt::white);
        QPainter painter(&dialog);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(15);
        QFont bold = font;
        bold.setPixelSize(28);
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(10, 32, "设置");
        painter.setFont(font);
        painter.drawText(120, 32, "~/Downloads");
        painter.drawText(10, 66, "服务地址");
        painter.drawText(10, 100, "已保存。");
        painter.drawText(10, 134, "最近使用");
        painter.drawText(250, 100, "-");
        // A drop-down list: its frame, its value and a chevron at its end.
        const QRectF field(110, 46, 200, 28);
        painter.setPen(QColor(0xb0, 0xb0, 0xb0));
        painter.drawRoundedRect(field, 4, 4);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(118, 66, "自动");
        QPen chevron(QColor(0x60, 0x60, 0x60), 1.5);
        painter.setPen(chevron);
        painter.drawPolyline(QPolygonF{QPointF(288, 57), QPointF(292, 62), QPointF(296, 57)});
        painter.end();
        GreyImage image = ScreenImagePreparation::toGrey(dialog);
        const auto scaled = [scale](const QRect &rect) {
            return QRect(rect.topLeft() * scale, rect.size() * scale);
        };
        const QList<QRect> kept = {scaled(QRect(8, 4, 70, 34)), scaled(QRect(118, 14, 100, 24)),
                                   scaled(QRect(8, 82, 70, 24)), scaled(QRect(245, 82, 16, 24)),
                                   scaled(QRect(116, 50, 40, 22))};
        QList<int> keptBefore;
        for (const QRect &rect : kept)
            keptBefore << greyPixels(image, rect);

        ScreenImagePreparation::removeStrayMarks(image);

        QCOMPARE(greyPixels(image, scaled(QRect(284, 52, 16, 14))), 0);
        for (int i = 0; i < kept.size(); ++i)
            QVERIFY2(greyPixels(image, kept.at(i)) == keptBefore.at(i), qPrintable(QString("kept %1").arg(i)));
    }

    void lineHeight_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<int>("lines");
        QTest::newRow("12 px") << 12 << 3;
        QTest::newRow("20 px") << 20 << 2;
        QTest::newRow("28 px") << 28 << 1;
        QTest::newRow("no text") << 20 << 0;
    }

    void lineHeight() {
        QFETCH(int, pixelSize);
        QFETCH(int, lines);
        TextImages::Style style;
        style.pixelSize = pixelSize;
        const QImage rendered = lines ? TextImages::render(QStringList(lines, "截图识字 Vellora"), style)
                                      : TextImages::render({" "}, style);
        const GreyImage image = ScreenImagePreparation::toGrey(rendered);

        const int height =
            ScreenImagePreparation::typicalLineHeight(image, ScreenImagePreparation::rowBackgrounds(image));

        if (lines == 0) {
            QCOMPARE(height, 0);
        } else {
            QVERIFY2(height >= pixelSize * 7 / 10 && height <= pixelSize * 13 / 10,
                     qPrintable(QString::number(height)));
        }
    }

    // Small text is enlarged towards the target height and given a margin;
    // large text is left at its size.
    void prepareEnlargesSmallText() {
        TextImages::Style small;
        small.pixelSize = 13;
        const QImage smallImage = TextImages::render({"小字 small"}, small);
        const ScreenImagePreparation::Prepared enlarged = ScreenImagePreparation::prepare(smallImage, {});
        QVERIFY(enlarged.image.width >= smallImage.width() * 2);
        QVERIFY(enlarged.margin >= 10);

        TextImages::Style large;
        large.pixelSize = 40;
        const QImage largeImage = TextImages::render({"大字"}, large);
        const ScreenImagePreparation::Prepared kept = ScreenImagePreparation::prepare(largeImage, {});
        QCOMPARE(kept.image.width, largeImage.width());

        ScreenImagePreparation::Options plain;
        plain.preprocess = false;
        const ScreenImagePreparation::Prepared untouched = ScreenImagePreparation::prepare(smallImage, plain);
        QCOMPARE(untouched.image.width, smallImage.width());
        QCOMPARE(untouched.margin, 0);
    }

    // Tesseract reads no side longer than 32767 pixels: small text on a very
    // wide strip is enlarged only that far, and a longer image is made smaller.
    void preparedSidesStayWithinTesseractsLimit_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("withText");
        QTest::newRow("blank 32767 x 1") << QSize(32767, 1) << false;
        QTest::newRow("blank 60000 x 3") << QSize(60000, 3) << false;
        QTest::newRow("blank 3 x 40000") << QSize(3, 40000) << false;
        QTest::newRow("13 px text 11500 x 165") << QSize(11500, 165) << true;
    }

    void preparedSidesStayWithinTesseractsLimit() {
        QFETCH(QSize, size);
        QFETCH(bool, withText);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (withText) {
            QPainter painter(&image);
            QFont font(QStringLiteral("Noto Sans"));
            font.setPixelSize(13);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(40, size.height() / 2, QStringLiteral("Wide strips are read"));
        }
        for (bool preprocess : {true, false}) {
            ScreenImagePreparation::Options options;
            options.preprocess = preprocess;
            const ScreenImagePreparation::Prepared prepared = ScreenImagePreparation::prepare(image, options);
            QVERIFY(prepared.image.width > 0 && prepared.image.height > 0);
            QVERIFY2(prepared.image.width + 2 * prepared.margin <= ScreenImagePreparation::maximumSide,
                     qPrintable(QString::number(prepared.image.width + 2 * prepared.margin)));
            QVERIFY(prepared.image.height + 2 * prepared.margin <= ScreenImagePreparation::maximumSide);
            QCOMPARE(prepared.image.pixels.size(), size_t(prepared.image.width) * size_t(prepared.image.height));
        }
    }
};

QTEST_MAIN(TestScreenImagePreparation)
#include "TestScreenImagePreparation.moc"

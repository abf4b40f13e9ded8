#include "SampleCanvas.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace SampleCanvas {

QStringList Generator::pickDistinct(const QStringList &list, int count) {
    QStringList copy = list;
    std::shuffle(copy.begin(), copy.end(), m_random);
    return copy.mid(0, std::min<qsizetype>(count, copy.size()));
}

Theme theme(const QString &name) {
    if (name == u"dark")
        return {name,
                QColor(0x1f, 0x1f, 0x22),
                QColor(0xe8, 0xe8, 0xea),
                QColor(0x9a, 0x9a, 0xa0),
                QColor(0x2f, 0x6f, 0xeb),
                QColor(Qt::white),
                QColor(0x4a, 0x4a, 0x50),
                QColor(0x2a, 0x2a, 0x2e),
                QColor(0x33, 0x33, 0x38),
                QColor(0x26, 0x26, 0x2a)};
    if (name == u"grey")
        return {name,
                QColor(0xe4, 0xe4, 0xe4),
                QColor(0x20, 0x20, 0x20),
                QColor(0x5c, 0x5c, 0x5c),
                QColor(0x30, 0x8c, 0xc6),
                QColor(Qt::white),
                QColor(0xa8, 0xa8, 0xa8),
                QColor(0xf6, 0xf6, 0xf6),
                QColor(0xd2, 0xd2, 0xd2),
                QColor(0xdc, 0xdc, 0xdc)};
    return {QStringLiteral("light"),
            QColor(0xfb, 0xfb, 0xfb),
            QColor(0x1d, 0x1d, 0x1f),
            QColor(0x6e, 0x6e, 0x73),
            QColor(0x24, 0x6b, 0xfd),
            QColor(Qt::white),
            QColor(0xc8, 0xc8, 0xcc),
            QColor(Qt::white),
            QColor(0xee, 0xf0, 0xf4),
            QColor(0xf4, 0xf5, 0xf7)};
}

// Font families a desktop shows text in, by script and style.
QStringList families(const QString &script, const QString &style) {
    if (script == u"zh-Hans") {
        if (style == u"serif")
            return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
        if (style == u"kai")
            return {QStringLiteral("AR PL UKai CN")};
        return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                QStringLiteral("WenQuanYi Zen Hei")};
    }
    if (script == u"zh-Hant") {
        if (style == u"serif")
            return {QStringLiteral("Noto Serif CJK TC"), QStringLiteral("AR PL UMing TW")};
        if (style == u"kai")
            return {QStringLiteral("AR PL UKai TW")};
        return {QStringLiteral("Noto Sans CJK TC"), QStringLiteral("WenQuanYi Zen Hei"),
                QStringLiteral("Noto Sans CJK HK")};
    }
    if (style == u"serif")
        return {QStringLiteral("Noto Serif"), QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
    return {QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
}

QFont font(const QString &family, int pixelSize, const Look &look, bool bold) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(look.hinting);
    return f;
}

namespace {

// FreeType's default LCD filter over the three subpixels of each pixel and
// their neighbours: each colour channel takes the coverage at its own
// subpixel, which gives text the coloured fringes of subpixel rendering.
QImage lcdDownsample(const QImage &wide) {
    const QImage source = wide.convertToFormat(QImage::Format_RGB32);
    const int width = source.width() / 3;
    QImage out(width, source.height(), QImage::Format_RGB32);
    constexpr int weights[5] = {8, 77, 86, 77, 8};
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int channels[3];
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                int total = 0;
                for (int k = -2; k <= 2; ++k) {
                    const int sub = std::clamp(3 * x + c + k, 0, source.width() - 1);
                    const QRgb pixel = in[sub];
                    const int value = c == 0 ? qRed(pixel) : c == 1 ? qGreen(pixel) : qBlue(pixel);
                    sum += value * weights[k + 2];
                    total += weights[k + 2];
                }
                channels[c] = (sum + total / 2) / total;
            }
            row[x] = qRgb(channels[0], channels[1], channels[2]);
        }
    }
    return out;
}

// Interface around the selection: the window's frame, a neighbouring panel,
// a scroll bar, tool icons. No text, so the truth is the content's.
void paintSurroundings(Generator &g, QPainter &p, const QRect &all, const QRect &content, const Theme &t) {
    const bool dark = t.name == u"dark";
    p.fillRect(all, dark ? QColor(0x2b, 0x2b, 0x30) : QColor(0xd9, 0xdc, 0xe1));
    // A side panel of another tint on the left.
    if (content.left() > 0 && g.chance(0.5))
        p.fillRect(QRect(all.left(), all.top(), content.left(), all.height()),
                   dark ? QColor(0x23, 0x23, 0x27) : QColor(0xec, 0xee, 0xf2));
    // A tool strip with icons above.
    if (content.top() > 4 && g.chance(0.6)) {
        p.setPen(Qt::NoPen);
        const QList<QColor> icons{QColor(0xe5, 0x48, 0x4d), QColor(0x30, 0xa4, 0x6c), QColor(0xf5, 0xa6, 0x23),
                                  QColor(0x5b, 0x6b, 0xf0)};
        const int size = std::min(content.top() - 2, 12);
        for (int x = content.left() + g.between(0, 20); x < content.right() - size; x += size + g.between(8, 30)) {
            p.setBrush(icons.at(g.pick(int(icons.size()))));
            p.drawRoundedRect(QRectF(x, content.top() - size - 1, size, size), 3, 3);
        }
    }
    // A scroll bar on the right.
    if (all.right() - content.right() >= 6 && g.chance(0.5)) {
        p.setPen(Qt::NoPen);
        p.setBrush(dark ? QColor(0x55, 0x55, 0x5c) : QColor(0xb4, 0xb8, 0xbf));
        const int top = content.top() + g.between(0, std::max(1, content.height() / 2));
        p.drawRoundedRect(QRectF(content.right() + 2, top, 4, std::max(12, content.height() / 3)), 2, 2);
    }
    // The frame of the content's window or group.
    p.setPen(QPen(t.rule, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(content).adjusted(-0.5, -0.5, 0.5, 0.5));
}

} // namespace

QImage compose(Generator &g, const Look &look, QSize contentSize, const std::function<void(QPainter &)> &paint) {
    // Most selections take in a little of what surrounds the text; some are tight.
    const bool loose = g.chance(0.6);
    const int left = loose ? g.between(0, 14) : 0;
    const int top = loose ? g.between(0, 14) : 0;
    const int right = loose ? g.between(0, 14) : 0;
    const int bottom = loose ? g.between(0, 14) : 0;
    // The surroundings drawn reach a little past the crop.
    const int reach = 16;
    const QRect all(0, 0, contentSize.width() + 2 * reach, contentSize.height() + 2 * reach);
    const QRect content(QPoint(reach, reach), contentSize);
    const int subpixels = look.lcd ? 3 : 1;
    QImage image(all.width() * look.scale * subpixels, all.height() * look.scale, QImage::Format_RGB32);
    image.fill(look.theme.window);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(look.scale * subpixels, look.scale);
        paintSurroundings(g, p, all, content, look.theme);
        p.save();
        p.translate(content.topLeft());
        p.setClipRect(QRect(QPoint(0, 0), contentSize));
        paint(p);
        p.restore();
    }
    if (look.lcd)
        image = lcdDownsample(image);
    const QRect crop = content.adjusted(-left, -top, right, bottom);
    return image.copy(QRect(crop.topLeft() * look.scale, crop.size() * look.scale));
}

} // namespace SampleCanvas

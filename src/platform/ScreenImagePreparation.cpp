#include "ScreenImagePreparation.h"

#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace ScreenImagePreparation {
namespace {

int medianOf(std::vector<int> &values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The most frequent value of a row: a screen's background is one flat colour,
// while anti-aliased text spreads over many values, so even a row through
// dense text finds its background this way.
int modeOf(const std::uint8_t *values, int count) {
    int histogram[256] = {};
    for (int i = 0; i < count; ++i)
        ++histogram[values[i]];
    return int(std::max_element(std::begin(histogram), std::end(histogram)) - std::begin(histogram));
}

constexpr int inkContrast = 60;

bool isInk(const GreyImage &image, const std::vector<int> &backgrounds, int x, int y) {
    return backgrounds[static_cast<size_t>(y)] - image.at(x, y) >= inkContrast;
}

// The median length of the horizontal runs of ink: about the width of a
// stroke of the text.
int typicalStrokeWidth(const GreyImage &image, const std::vector<int> &backgrounds) {
    std::vector<int> runs;
    for (int y = 0; y < image.height; ++y) {
        int x = 0;
        while (x < image.width) {
            if (!isInk(image, backgrounds, x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < image.width && isInk(image, backgrounds, end, y))
                ++end;
            runs.push_back(end - x);
            x = end;
        }
    }
    return medianOf(runs);
}

// The 8-connected shapes of the pixels darker than `threshold`: their boxes,
// and each one's own image when asked. Null parts when Leptonica fails.
struct Shapes {
    PixPointer binary;
    BoxaPointer boxes;
    PixaPointer images;
};

Shapes shapesDarkerThan(const GreyImage &image, int threshold, bool withImages) {
    Shapes shapes;
    const PixPointer grey = toPix(image, 0);
    if (grey)
        shapes.binary.reset(pixThresholdToBinary(grey.get(), threshold));
    if (!shapes.binary)
        return shapes;
    if (withImages) {
        PIXA *images = nullptr;
        shapes.boxes.reset(pixConnComp(shapes.binary.get(), &images, 8));
        shapes.images.reset(images);
    } else {
        shapes.boxes.reset(pixConnCompBB(shapes.binary.get(), 8));
    }
    return shapes;
}

// The median height of the shapes at least 3 pixels high: glyphs, or the
// parts of glyphs that do not touch; 0 when there are none.
int medianShapeHeight(BOXA *boxes) {
    std::vector<int> heights;
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h);
        if (h >= 3)
            heights.push_back(h);
    }
    return medianOf(heights);
}

} // namespace

bool isReadableFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

// Luminance of the image composed over white (transparent areas read as paper).
GreyImage toGrey(const QImage &source) {
    GreyImage grey;
    grey.width = source.width();
    grey.height = source.height();
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    if (source.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < grey.height; ++y)
            std::copy_n(source.constScanLine(y), grey.width, &grey.at(0, y));
        return grey;
    }
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < grey.width; ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            const int luminance = qGray(pixel);
            grey.at(x, y) = static_cast<std::uint8_t>((luminance * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return grey;
}

// Each row's background: its most frequent value, taken as the median over
// the neighbouring rows. A row along the flat tops of a line of glyphs can
// hold more ink, or more of one anti-aliased edge value, than background;
// the neighbours outvote it.
std::vector<int> rowBackgrounds(const GreyImage &image) {
    std::vector<int> modes(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        modes[static_cast<size_t>(y)] = modeOf(image.pixels.data() + static_cast<size_t>(y) * image.width, image.width);
    constexpr int reach = 6;
    std::vector<int> backgrounds(modes.size());
    std::vector<int> window;
    for (int y = 0; y < image.height; ++y) {
        window.assign(modes.begin() + std::max(0, y - reach), modes.begin() + std::min(image.height, y + reach + 1));
        backgrounds[static_cast<size_t>(y)] = medianOf(window);
    }
    return backgrounds;
}

// Rows whose background is dark (a dark theme, a highlighted menu row, a
// coloured table header) are inverted, and every row's background is made
// white, so all text ends up dark on white and rows meet without edges. Thin
// flat margins of another colour at the ends of a row (the inset of a
// highlight) become background too.
void makeBackgroundLight(GreyImage &image) {
    const std::vector<int> backgrounds = rowBackgrounds(image);
    const int marginLimit = std::max(3, std::min(12, image.width / 16));
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t *row = &image.at(0, y);
        int background = backgrounds[static_cast<size_t>(y)];
        const auto far = [&](int x) {
            return std::abs(int(row[x]) - background) > 60;
        };
        for (int direction : {1, -1}) {
            const int start = direction > 0 ? 0 : image.width - 1;
            int length = 0;
            int lightest = 0;
            int darkest = 255;
            while (length < image.width && far(start + direction * length)) {
                lightest = std::max<int>(lightest, row[start + direction * length]);
                darkest = std::min<int>(darkest, row[start + direction * length]);
                ++length;
            }
            // A flat margin can be wide: the menu's own colour beside a
            // highlight that stops short of the row's end.
            const bool flat = lightest - darkest <= 6;
            if (length == 0 || (length > marginLimit && !(flat && length <= image.width / 2)))
                continue;
            for (int i = 0; i < length; ++i)
                row[start + direction * i] = static_cast<std::uint8_t>(background);
        }
        if (background < 128) {
            for (int x = 0; x < image.width; ++x)
                row[x] = static_cast<std::uint8_t>(255 - row[x]);
            background = 255 - background;
        }
        for (int x = 0; x < image.width; ++x)
            row[x] = static_cast<std::uint8_t>(std::min(255, row[x] * 255 / std::max(background, 1)));
    }
}

// Table grid lines, separators and underlines touch the glyphs beside them and
// turn into stray characters; long straight runs of ink are painted over with
// the background. Both directions are found before either is erased, as they
// cross each other.
void removeRules(GreyImage &image, const std::vector<int> &backgrounds) {
    std::vector<std::pair<QPoint, QPoint>> runs;
    const int minimumHorizontal = std::max(60, image.width / 4);
    for (int y = 0; y < image.height; ++y) {
        int x = 0;
        while (x < image.width) {
            if (!isInk(image, backgrounds, x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < image.width && isInk(image, backgrounds, end, y))
                ++end;
            if (end - x >= minimumHorizontal)
                runs.emplace_back(QPoint(x, y), QPoint(end - 1, y));
            x = end;
        }
    }
    // A column rule may end at a header or a row of another colour; a run of
    // ink three glyphs long is a rule wherever it ends.
    int minimumVertical = image.height * 85 / 100;
    const Shapes shapes = shapesDarkerThan(image, 160, false);
    if (const int glyph = shapes.boxes ? medianShapeHeight(shapes.boxes.get()) : 0; glyph > 0)
        minimumVertical = std::min(minimumVertical, 3 * glyph);
    minimumVertical = std::max(20, minimumVertical);
    for (int x = 0; x < image.width; ++x) {
        int y = 0;
        while (y < image.height) {
            if (!isInk(image, backgrounds, x, y)) {
                ++y;
                continue;
            }
            // A rule crossing another one is white there: the crossing row
            // was all rule, so it became that row's background.
            int end = y;
            while (end < image.height && (isInk(image, backgrounds, x, end) ||
                                          (end + 2 < image.height && (isInk(image, backgrounds, x, end + 1) ||
                                                                      isInk(image, backgrounds, x, end + 2)))))
                ++end;
            if (end - y >= minimumVertical)
                runs.emplace_back(QPoint(x, y), QPoint(x, end - 1));
            y = end;
        }
    }
    for (const auto &[from, to] : runs) {
        for (int y = from.y(); y <= to.y(); ++y) {
            for (int x = from.x(); x <= to.x(); ++x)
                image.at(x, y) = static_cast<std::uint8_t>(backgrounds[static_cast<size_t>(y)]);
        }
    }
}

namespace {

// The box and the anti-aliased pixel around it made white.
void paintWhite(GreyImage &image, const QRect &box) {
    for (int y = std::max(0, box.top() - 1); y <= std::min(image.height - 1, box.bottom() + 1); ++y) {
        for (int x = std::max(0, box.left() - 1); x <= std::min(image.width - 1, box.right() + 1); ++x)
            image.at(x, y) = 255;
    }
}

// Whether a filled shape of about a glyph's size is a control rather than a
// glyph: a toggle switch, a ticked check box, a radio button. Its fill holds a
// solid area that a glyph's strokes never have, it encloses at most one other
// shape (the knob or the tick), and it stands apart from its neighbours on the
// line. The look at the neighbours, through every shape, comes last.
bool isControl(BOXA *boxes, int index, PIX *shape, PIX *holes, l_int32 ink, int glyph) {
    l_int32 left, top, width, height;
    boxaGetBoxGeometry(boxes, index, &left, &top, &width, &height);
    if (height < glyph / 2 || height > glyph * 5 / 2 || width < height * 9 / 10 || width > height * 3)
        return false;
    l_int32 enclosed = 0;
    if (holes)
        pixCountConnComp(holes, 8, &enclosed);
    if (enclosed > 1)
        return false;
    const int brick = std::max(3, height / 4) | 1;
    const PixPointer core(pixErodeBrick(nullptr, shape, brick, brick));
    l_int32 solid = 0;
    if (core)
        pixCountPixels(core.get(), &solid, nullptr);
    if (solid * 12 < ink)
        return false;
    // Letters of a word sit closer together than this.
    const int gap = std::max(3, height * 3 / 10);
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h);
        if (i == index || y >= top + height || y + h <= top || h > 2 * height)
            continue;
        if (x < left + width + gap && x + w > left - gap)
            return false;
    }
    return true;
}

} // namespace

// Filled shapes of one flat colour much larger than a character (a default
// button, a badge, a highlight narrower than the row) hide their text from the
// row's background: their fill is made white and their text dark, like a
// row's background. Filled controls of a glyph's size hold no text and are
// painted over.
void makeFilledShapesLight(GreyImage &image) {
    const Shapes found = shapesDarkerThan(image, 215, true);
    BOXA *boxes = found.boxes.get();
    PIXA *shapes = found.images.get();
    if (!boxes || !shapes)
        return;
    const int count = pixaGetCount(shapes);
    const int typical = medianShapeHeight(boxes);
    if (typical <= 0)
        return;
    for (int i = 0; i < count; ++i) {
        l_int32 bx, by, bw, bh;
        boxaGetBoxGeometry(boxes, i, &bx, &by, &bw, &bh);
        const bool large = !(bw <= 3 * typical && bh <= 3 * typical) && bh >= typical;
        if (!large && (bh < typical / 2 || bh < 6))
            continue;
        const PixPointer shape(pixaGetPix(shapes, i, L_CLONE));
        const PixPointer holes(pixHolesByFilling(shape.get(), 4));
        const auto inShape = [&](int x, int y) {
            l_uint32 value = 0;
            pixGetPixel(shape.get(), x, y, &value);
            return value != 0;
        };
        const auto inHole = [&](int x, int y) {
            l_uint32 value = 0;
            if (holes)
                pixGetPixel(holes.get(), x, y, &value);
            return value != 0;
        };
        l_int32 ink = 0;
        pixCountPixels(shape.get(), &ink, nullptr);
        // Ink over most of its box: a merged run of glyphs never covers half.
        if (double(ink) / (double(bw) * bh) < 0.5)
            continue;
        // A filled shape: one flat colour covers most of it and what it encloses.
        std::vector<std::uint8_t> values;
        values.reserve(size_t(bw) * bh);
        for (int y = 0; y < bh; ++y) {
            for (int x = 0; x < bw; ++x) {
                if (inShape(x, y) || inHole(x, y))
                    values.push_back(image.at(bx + x, by + y));
            }
        }
        int background = modeOf(values.data(), int(values.size()));
        const auto flat = std::count_if(values.begin(), values.end(),
                                        [background](std::uint8_t v) { return std::abs(int(v) - background) <= 2; });
        if (values.empty() || double(flat) / double(values.size()) < 0.5)
            continue;
        if (isControl(boxes, i, shape.get(), holes.get(), ink, typical)) {
            paintWhite(image, QRect(bx, by, bw, bh));
            continue;
        }
        if (!large)
            continue;
        // The text inside decides which way round it goes: white text on a
        // mid-blue button is lighter than a fill that passes for light.
        long enclosed = 0;
        long enclosedSum = 0;
        for (int y = 0; y < bh; ++y) {
            for (int x = 0; x < bw; ++x) {
                if (inHole(x, y) && !inShape(x, y)) {
                    ++enclosed;
                    enclosedSum += image.at(bx + x, by + y);
                }
            }
        }
        const bool invert = enclosed > 0 ? enclosedSum > long(background) * enclosed : background < 128;
        // The anti-aliased rim between the fill and what lies outside would
        // turn into an outline.
        const auto outside = [&](int x, int y) {
            return x < 0 || y < 0 || x >= bw || y >= bh || (!inShape(x, y) && !inHole(x, y));
        };
        const auto onRim = [&](int x, int y) {
            return outside(x - 1, y) || outside(x + 1, y) || outside(x, y - 1) || outside(x, y + 1);
        };
        const int fill = background;
        if (invert)
            background = 255 - background;
        for (int y = 0; y < bh; ++y) {
            for (int x = 0; x < bw; ++x) {
                if (!inShape(x, y) && !inHole(x, y))
                    continue;
                std::uint8_t &pixel = image.at(bx + x, by + y);
                if (inShape(x, y) && int(pixel) > fill + 2 && onRim(x, y)) {
                    pixel = 255;
                    continue;
                }
                const int value = invert ? 255 - pixel : pixel;
                pixel = static_cast<std::uint8_t>(std::min(255, value * 255 / std::max(background, 1)));
            }
        }
    }
}

// A row can hold several backgrounds: a text field's white beside a grey
// dialog, a button's fill, a highlighted cell. The background near each pixel
// is what a closing leaves (it fills every stroke thinner than size), and
// dividing by it makes every such area white while the text keeps its contrast.
void evenOutBackground(GreyImage &image, int size) {
    constexpr int darkestBackground = 160;
    const PixPointer grey = toPix(image, 0);
    if (!grey)
        return;
    const int odd = size | 1;
    const PixPointer background(pixCloseGray(grey.get(), odd, odd));
    if (!background)
        return;
    const l_uint32 *data = pixGetData(background.get());
    const l_int32 wordsPerLine = pixGetWpl(background.get());
    for (int y = 0; y < image.height; ++y) {
        const l_uint32 *line = data + static_cast<ptrdiff_t>(y) * wordsPerLine;
        for (int x = 0; x < image.width; ++x) {
            // By now every background is light; what the closing leaves dark
            // is the inside of a dense bold glyph, which must stay dark.
            const int local = std::max<int>(darkestBackground, GET_DATA_BYTE(line, x));
            std::uint8_t &pixel = image.at(x, y);
            pixel = static_cast<std::uint8_t>(std::min(255, pixel * 255 / local));
        }
    }
}

namespace {

// A light shape that may belong to greyed-out text.
struct FaintShape {
    int index = 0; // among the shapes found
    QRect box;
    int darkest = 255;
    int ink = 0;
    bool hollow = true; // no ink in the middle half of its box
};

// Calls f(x, y), in image coordinates, for each pixel of shape `index`.
template <typename F> void forEachPixelOf(const Shapes &shapes, int index, F &&f) {
    l_int32 left, top, width, height;
    boxaGetBoxGeometry(shapes.boxes.get(), index, &left, &top, &width, &height);
    const PixPointer shape(pixaGetPix(shapes.images.get(), index, L_CLONE));
    const l_uint32 *data = pixGetData(shape.get());
    const l_int32 wordsPerLine = pixGetWpl(shape.get());
    for (int dy = 0; dy < height; ++dy) {
        const l_uint32 *line = data + static_cast<ptrdiff_t>(dy) * wordsPerLine;
        for (int dx = 0; dx < width; ++dx) {
            if (GET_DATA_BIT(line, dx))
                f(left + dx, top + dy);
        }
    }
}

constexpr int faintPaper = 235; // lighter than this is paper, or a glyph's halo

// The shapes lighter than text's ink and dark enough to be greyed-out text,
// drawn in grey strokes: no filled blobs, coloured icons, rules or frames,
// nor what the image's edge cuts.
std::vector<FaintShape> faintShapes(const GreyImage &image, const QImage &source, const Shapes &shapes, int glyph) {
    constexpr int darkInk = 110;  // a shape with a pixel this dark is plain text
    constexpr int lightest = 200; // a shape whose darkest pixel is lighter is no text
    // How far from grey the source is at (x, y). Asked only of the few
    // pixels of light shapes, so the source is not converted as a whole.
    const bool coloured =
        source.size() == QSize(image.width, image.height) && source.format() != QImage::Format_Grayscale8;
    const auto chroma = [&source, coloured](int x, int y) {
        if (!coloured)
            return 0;
        const QRgb pixel = source.pixel(x, y);
        return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) -
               std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    };
    std::vector<FaintShape> faint;
    for (int i = 0; i < boxaGetCount(shapes.boxes.get()); ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(shapes.boxes.get(), i, &x, &y, &w, &h);
        FaintShape candidate{i, QRect(x, y, w, h), 255, 0, true};
        const QRect middle(x + w / 4, y + h / 4, w - 2 * (w / 4), h - 2 * (h / 4));
        forEachPixelOf(shapes, i, [&](int px, int py) {
            candidate.darkest = std::min<int>(candidate.darkest, image.at(px, py));
            ++candidate.ink;
            if (middle.contains(px, py))
                candidate.hollow = false;
        });
        if (candidate.darkest < darkInk || candidate.darkest > lightest)
            continue;
        // Text is drawn in strokes; a blob of one flat colour (a dot of a
        // title bar, a badge) is not. Its pixels nearly all have the shape's
        // darkest value, where a glyph's core is its strokes without their
        // soft edges. The full stop of small text is too small to tell.
        // Greyed-out text is grey: a coloured shape is an icon, or what the
        // even background left of one (its rim).
        int core = 0;
        int coreChroma = 0;
        const int coreLimit = (candidate.darkest + faintPaper) / 2;
        forEachPixelOf(shapes, i, [&](int px, int py) {
            if (image.at(px, py) <= coreLimit) {
                ++core;
                coreChroma += chroma(px, py);
            }
        });
        const bool filled = w >= 4 && h >= 4 && core * 10 >= w * h * 6;
        const bool colourful = core > 0 && coreChroma / core >= 60;
        // A stretch of a light rule or frame is thinner than any stroke is
        // long, and a frame round a cell or a field is wider than a glyph
        // with nothing in its middle.
        const bool rule = (h <= 2 && w > glyph * 3 / 2) || (w <= 2 && h > glyph * 3 / 2) ||
                          (candidate.hollow && std::max(w, h) > glyph * 2);
        // What the selection's edge cuts through (the icons of a strip above
        // it) cannot be read; made dark, it reads as a line of stray letters.
        const bool cut = x == 0 || y == 0 || x + w == image.width || y + h == image.height;
        if (!filled && !colourful && !rule && !cut)
            faint.push_back(candidate);
    }
    return faint;
}

// For each shape, the index of its group: shapes on one line (sharing rows)
// less than a glyph apart. The shapes come sorted by their left edge, so each
// meets only those that start before it ends, plus the gap.
std::vector<size_t> groupsOnLines(const std::vector<FaintShape> &shapes, int glyph) {
    std::vector<size_t> parent(shapes.size());
    for (size_t i = 0; i < parent.size(); ++i)
        parent[i] = i;
    const auto root = [&parent](size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (size_t i = 0; i < shapes.size(); ++i) {
        const QRect &a = shapes[i].box;
        for (size_t j = i + 1; j < shapes.size() && shapes[j].box.left() <= a.right() + glyph; ++j) {
            const QRect &b = shapes[j].box;
            if (a.top() <= b.bottom() && b.top() <= a.bottom())
                parent[root(i)] = root(j);
        }
    }
    for (size_t i = 0; i < parent.size(); ++i)
        parent[i] = root(i);
    return parent;
}

} // namespace

// Greyed-out text (a disabled menu item or button, a placeholder) is so light
// that Tesseract's page threshold takes it for paper and the line is lost.
// Light grey shapes that stand together as a word or more on a line, as tall
// as text, are stretched so that their darkest pixel becomes black. Filled or
// coloured shapes (the icons of a tool strip), rules and frames, shapes cut
// by the image's edge, lighter marks (a border's remains) and shapes with dark
// ink stay as they are.
void darkenFaintText(GreyImage &image, const QImage &source) {
    const Shapes found = shapesDarkerThan(image, faintPaper, true);
    if (!found.boxes || !found.images)
        return;
    // Where most shapes are smaller than the smallest text, they are a
    // photo's grain, and what looks like a faint word in it is none.
    constexpr int smallestGlyph = 5;
    const int glyph = medianShapeHeight(found.boxes.get());
    if (glyph < smallestGlyph)
        return;
    std::vector<FaintShape> faint = faintShapes(image, source, found, glyph);
    std::sort(faint.begin(), faint.end(),
              [](const FaintShape &a, const FaintShape &b) { return a.box.left() < b.box.left(); });
    const std::vector<size_t> groupOf = groupsOnLines(faint, glyph);
    struct Group {
        QRect box;
        int darkest = 255;
        int ink = 0;
        int shapes = 0;
        bool loneHollow = false; // one shape, and that one hollow
    };
    std::vector<Group> groups(faint.size());
    for (size_t i = 0; i < faint.size(); ++i) {
        Group &group = groups[groupOf[i]];
        group.box = group.box.united(faint[i].box);
        group.darkest = std::min(group.darkest, faint[i].darkest);
        group.ink += faint[i].ink;
        group.loneHollow = ++group.shapes == 1 && faint[i].hollow;
    }
    for (size_t i = 0; i < faint.size(); ++i) {
        const Group &group = groups[groupOf[i]];
        const int height = group.box.height();
        // A lone hollow shape is a frame: a check box, what is left of a
        // button's outline. Text is a line's height and drawn in strokes.
        const bool textLike = !group.loneHollow && height >= std::max(6, glyph * 6 / 10) && height <= glyph * 2 &&
                              group.box.width() >= height * 8 / 10 &&
                              group.ink * 100 <= 55 * group.box.width() * height;
        if (!textLike)
            continue;
        forEachPixelOf(found, faint[i].index, [&](int px, int py) {
            std::uint8_t &pixel = image.at(px, py);
            pixel = static_cast<std::uint8_t>(255 - (255 - pixel) * 255 / (255 - group.darkest));
        });
    }
}

// The outlines of buttons, text fields, drop-down lists and group boxes sit a
// few pixels from the text they frame, and their sides come back as "|", "]"
// or "[" beside it. An outline is a shape whose ink lies along the edges of its
// box and covers little of it; a glyph, even a square one such as 口, covers
// far more of its box. Such shapes are painted white, with the light edge
// around them.
void removeOutlines(GreyImage &image) {
    const Shapes found = shapesDarkerThan(image, 235, true);
    BOXA *boxes = found.boxes.get();
    PIXA *shapes = found.images.get();
    if (!boxes || !shapes)
        return;
    const int count = pixaGetCount(shapes);
    for (int i = 0; i < count; ++i) {
        l_int32 bx, by, bw, bh;
        boxaGetBoxGeometry(boxes, i, &bx, &by, &bw, &bh);
        if (bw < 12 || bh < 12)
            continue;
        const PixPointer shape(pixaGetPix(shapes, i, L_CLONE));
        const l_uint32 *data = pixGetData(shape.get());
        const l_int32 wordsPerLine = pixGetWpl(shape.get());
        const int edge = std::max(2, std::min(bw, bh) / 10);
        long ink = 0;
        long nearEdge = 0;
        for (int y = 0; y < bh; ++y) {
            const l_uint32 *line = data + static_cast<ptrdiff_t>(y) * wordsPerLine;
            for (int x = 0; x < bw; ++x) {
                if (!GET_DATA_BIT(line, x))
                    continue;
                ++ink;
                if (x < edge || y < edge || x >= bw - edge || y >= bh - edge)
                    ++nearEdge;
            }
        }
        if (double(ink) / (double(bw) * bh) > 0.15 || double(nearEdge) / double(ink) < 0.9)
            continue;
        for (int y = 0; y < bh; ++y) {
            const l_uint32 *line = data + static_cast<ptrdiff_t>(y) * wordsPerLine;
            for (int x = 0; x < bw; ++x) {
                if (!GET_DATA_BIT(line, x))
                    continue;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int px = bx + x + dx;
                        const int py = by + y + dy;
                        if (px >= 0 && py >= 0 && px < image.width && py < image.height)
                            image.at(px, py) = 255;
                    }
                }
            }
        }
    }
}

// The small marks at the end of a drop-down list or a submenu's row (a
// chevron, an arrow) come back as "~", "7", "v" or ">". Such a mark is much
// smaller than a glyph, made of thin strokes, and stands far from any other
// ink on its line; a dash or a full stop is a solid bar or dot, and the marks
// inside text sit close to their letters.
void removeStrayMarks(GreyImage &image) {
    const Shapes found = shapesDarkerThan(image, 235, true);
    BOXA *boxes = found.boxes.get();
    if (!boxes || !found.images)
        return;
    const int glyph = medianShapeHeight(boxes);
    if (glyph <= 0)
        return;
    const int count = boxaGetCount(boxes);
    // Each shape's ink, counted when first asked for: a shape is the
    // neighbour of several marks.
    std::vector<l_int32> inks(static_cast<size_t>(count), -1);
    const auto inkOf = [&](int index) {
        l_int32 &ink = inks[static_cast<size_t>(index)];
        if (ink < 0) {
            ink = 0;
            const PixPointer shape(pixaGetPix(found.images.get(), index, L_CLONE));
            if (shape)
                pixCountPixels(shape.get(), &ink, nullptr);
        }
        return ink;
    };
    // The shapes by bands of rows a glyph high, to find a mark's neighbours.
    std::vector<std::vector<int>> bands(static_cast<size_t>(image.height / glyph + 1));
    for (int j = 0; j < count; ++j) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes, j, &x, &y, &w, &h);
        for (int band = y / glyph; band <= (y + h - 1) / glyph && band < int(bands.size()); ++band)
            bands[static_cast<size_t>(band)].push_back(j);
    }
    for (int i = 0; i < count; ++i) {
        l_int32 left, top, width, height;
        boxaGetBoxGeometry(boxes, i, &left, &top, &width, &height);
        if (height < 3 || width < 3 || height > glyph * 3 / 5 || width > glyph)
            continue;
        if (inkOf(i) * 10 > width * height * 7)
            continue;
        const int gap = glyph * 3 / 2;
        std::vector<int> near;
        for (int band = std::max(0, (top - glyph / 2) / glyph);
             band <= (top + height + glyph / 2) / glyph && band < int(bands.size()); ++band)
            near.insert(near.end(), bands[static_cast<size_t>(band)].begin(), bands[static_cast<size_t>(band)].end());
        bool alone = true;
        for (const int j : near) {
            l_int32 x, y, w, h;
            boxaGetBoxGeometry(boxes, j, &x, &y, &w, &h);
            // A frame around the mark (the field's own) or a piece of one is no
            // neighbour; a run of bold glyphs that touch is, and covers more
            // of its box.
            const bool encloses = x <= left && y <= top && x + w >= left + width && y + h >= top + height;
            const int longSide = std::max(w, h);
            const int shortSide = std::min(w, h);
            const bool frame = encloses && inkOf(j) * 20 < w * h * 9;
            const bool line = (shortSide <= 2 && longSide >= glyph / 3) ||
                              (longSide >= 2 * glyph && longSide >= 8 * shortSide && inkOf(j) * 5 >= w * h * 4);
            if (j == i || frame || line || y >= top + height + glyph / 2 || y + h <= top - glyph / 2)
                continue;
            if (x < left + width + gap && x + w > left - gap) {
                alone = false;
                break;
            }
        }
        if (!alone)
            continue;
        paintWhite(image, QRect(left, top, width, height));
    }
}

// The median height of the bands of rows that hold ink: the height of a line of
// text, or 0 when the image holds none.
int typicalLineHeight(const GreyImage &image, const std::vector<int> &backgrounds) {
    std::vector<int> heights;
    int bandStart = -1;
    for (int y = 0; y <= image.height; ++y) {
        bool hasInk = false;
        if (y < image.height) {
            for (int x = 0; x < image.width && !hasInk; ++x)
                hasInk = isInk(image, backgrounds, x, y);
        }
        if (hasInk && bandStart < 0) {
            bandStart = y;
        } else if (!hasInk && bandStart >= 0) {
            if (y - bandStart >= 4)
                heights.push_back(y - bandStart);
            bandStart = -1;
        }
    }
    return medianOf(heights);
}

GreyImage scaled(const GreyImage &image, double factor) {
    QImage source(image.pixels.data(), image.width, image.height, image.width, QImage::Format_Grayscale8);
    const QImage result =
        source.scaled(std::max(1, qRound(image.width * factor)), std::max(1, qRound(image.height * factor)),
                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    GreyImage grey;
    grey.width = result.width();
    grey.height = result.height();
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y)
        std::copy_n(result.constScanLine(y), grey.width, &grey.at(0, y));
    return grey;
}

PixPointer toPix(const GreyImage &image, int margin) {
    PixPointer pix(pixCreate(image.width + 2 * margin, image.height + 2 * margin, 8));
    if (!pix)
        return pix;
    pixSetAllArbitrary(pix.get(), 255);
    l_uint32 *data = pixGetData(pix.get());
    const l_int32 wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < image.height; ++y) {
        l_uint32 *line = data + static_cast<ptrdiff_t>(y + margin) * wordsPerLine;
        for (int x = 0; x < image.width; ++x)
            SET_DATA_BYTE(line, x + margin, image.at(x, y));
    }
    return pix;
}

bool Texture::isNoise() const {
    return shapes >= 2000 && speckShare >= 0.7;
}

Texture texture(const GreyImage &image) {
    Texture found;
    const Shapes shapes = shapesDarkerThan(image, 128, false);
    if (!shapes.boxes || image.width <= 0 || image.height <= 0)
        return found;
    l_int32 ink = 0;
    pixCountPixels(shapes.binary.get(), &ink, nullptr);
    found.inkShare = double(ink) / (double(image.width) * image.height);
    found.shapes = boxaGetCount(shapes.boxes.get());
    int specks = 0;
    for (int i = 0; i < found.shapes; ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(shapes.boxes.get(), i, &x, &y, &w, &h);
        specks += w <= 2 && h <= 2 ? 1 : 0;
    }
    found.speckShare = found.shapes > 0 ? double(specks) / found.shapes : 0;
    return found;
}

Prepared prepare(const QImage &source, const Options &options) {
    Prepared prepared{toGrey(source), 0};
    GreyImage &grey = prepared.image;
    double factor = 1;
    int lineHeight = 0;
    if (options.preprocess) {
        makeBackgroundLight(grey);
        // Filled shapes first: their rows would pass for thick rules.
        makeFilledShapesLight(grey);
        evenOutBackground(grey, std::max(9, 3 * typicalStrokeWidth(grey, rowBackgrounds(grey))));
        darkenFaintText(grey, source);
        removeOutlines(grey);
        removeStrayMarks(grey);
        const std::vector<int> backgrounds = rowBackgrounds(grey);
        removeRules(grey, backgrounds);
        lineHeight = typicalLineHeight(grey, backgrounds);
        if (options.enlarge && lineHeight > 0 && lineHeight < options.targetLineHeight) {
            const double pixels = double(grey.width) * grey.height;
            factor = std::min(3.0, double(options.targetLineHeight) / lineHeight);
            // Large images are not enlarged past 16 million pixels.
            factor = std::min(factor, std::sqrt(16e6 / pixels));
            if (factor <= 1.1)
                factor = 1;
        }
    }
    const auto marginFor = [&](double f) {
        return options.preprocess ? qRound(std::max(lineHeight * f / 2, 10.0)) : 0;
    };
    // Tesseract refuses an image with a side longer than maximumSide, margin
    // included: enlargement stops there, and a longer image is made smaller.
    const int longest = std::max(grey.width, grey.height);
    factor = std::min(factor, double(maximumSide - 2 * marginFor(factor)) / longest);
    if (factor != 1)
        grey = scaled(grey, factor);
    prepared.margin = marginFor(factor);
    return prepared;
}

} // namespace ScreenImagePreparation

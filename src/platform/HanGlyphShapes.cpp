#include "HanGlyphShapes.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

namespace HanGlyphShapes {

namespace {

// Pixels with half the strongest ink around count toward the inked box.
constexpr float inkedHalf = 0.5f;
// Less ink than this anywhere is paper.
constexpr float faintestInk = 0.15f;
// Subsamples per cell side when a shape is taken.
constexpr int subsamples = 3;

// The ink softened over neighbouring cells, so that a stroke a cell away
// still counts as close; then moved to a mean of 0 and a length of 1, so that
// bold and thin strokes of one outline compare alike.
Shape comparable(const Shape &shape) {
    Shape result{};
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            float sum = 0;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int r = row + dy;
                    const int c = column + dx;
                    if (r < 0 || c < 0 || r >= side || c >= side)
                        continue;
                    const int centre = dx == 0 && dy == 0 ? 2 : 1;
                    sum += shape[size_t(r * side + c)] * float(centre);
                    count += centre;
                }
            }
            result[size_t(row * side + column)] = sum / float(count);
        }
    }
    double mean = 0;
    for (float value : result)
        mean += value;
    mean /= double(result.size());
    double length = 0;
    for (float &value : result) {
        value = float(value - mean);
        length += double(value) * double(value);
    }
    length = std::sqrt(length);
    for (float &value : result)
        value = length > 0 ? float(value / length) : 0.0f;
    return result;
}

} // namespace

std::optional<Shape> fromInk(const InkImage &image, const QRect &area) {
    const QRect box = area.intersected(QRect(0, 0, image.width, image.height));
    if (box.isEmpty())
        return std::nullopt;
    const auto ink = [&image](int x, int y) {
        return image.ink[size_t(y) * size_t(image.width) + size_t(x)];
    };
    // Text in a pale colour (a code comment, greyed-out text) is as much a
    // glyph as black text: its inked box is where its ink reaches half of
    // its strongest.
    float strongest = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            strongest = std::max(strongest, ink(x, y));
    }
    if (strongest < faintestInk)
        return std::nullopt;
    const float inked = strongest * inkedHalf;
    int left = box.right() + 1, right = box.left() - 1, top = box.bottom() + 1, bottom = box.top() - 1;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (ink(x, y) >= inked) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < left || bottom < top)
        return std::nullopt;
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    // Source pixels per cell; the longer side fills the square.
    const double scale = double(std::max(width, height)) / side;
    const double offsetX = (side - width / scale) / 2;
    const double offsetY = (side - height / scale) / 2;
    Shape shape{};
    float total = 0;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            float sum = 0;
            for (int sy = 0; sy < subsamples; ++sy) {
                for (int sx = 0; sx < subsamples; ++sx) {
                    const double u = column + (sx + 0.5) / subsamples - offsetX;
                    const double v = row + (sy + 0.5) / subsamples - offsetY;
                    const int x = left + int(std::floor(u * scale));
                    const int y = top + int(std::floor(v * scale));
                    if (u >= 0 && v >= 0 && x <= right && y <= bottom)
                        sum += ink(x, y);
                }
            }
            shape[size_t(row * side + column)] = sum / (subsamples * subsamples);
            total += shape[size_t(row * side + column)];
        }
    }
    if (total < 1)
        return std::nullopt;
    return comparable(shape);
}

double distance(const Shape &a, const Shape &b) {
    // One minus the correlation of the two inks.
    double product = 0;
    for (size_t i = 0; i < a.size(); ++i)
        product += double(a[i]) * double(b[i]);
    return 1 - product;
}

struct Font::Private {
    bool opened = false;
    // Shapes drawn so far; characters the font lacks map to none.
    std::unordered_map<char32_t, std::optional<Shape>> drawn;
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    void open() {
        if (opened)
            return;
        opened = true;
        int faceIndex = 0;
        const std::string file = fontFile(faceIndex);
        if (file.empty() || FT_Init_FreeType(&library) != 0)
            return;
        // Without a font the shapes stay unknown until release(), rather
        // than the font being looked for again for every character.
        if (FT_New_Face(library, file.c_str(), faceIndex, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, 48) != 0)
            freeHandles();
    }

    std::optional<Shape> draw(char32_t c);

    void freeHandles() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
        face = nullptr;
        library = nullptr;
    }

    void close() {
        freeHandles();
        opened = false;
        drawn.clear();
    }

    // A sans-serif font for Chinese that has both forms of a common pair.
    static std::string fontFile(int &faceIndex) {
        // The configuration the process already has (Qt loads it for its own
        // fonts); fontconfig takes calls from any thread.
        if (!FcInit())
            return {};
        FcConfig *config = nullptr;
        std::string file;
        FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("sans-serif:lang=zh-cn"));
        FcCharSet *needed = FcCharSetCreate();
        for (FcChar32 c : {0x4F1AU, 0x6703U}) // 会 and 會
            FcCharSetAddChar(needed, c);
        FcPatternAddCharSet(pattern, FC_CHARSET, needed);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern *match = FcFontMatch(config, pattern, &result)) {
            FcChar8 *path = nullptr;
            FcCharSet *has = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetIsSubset(needed, has))
                file = reinterpret_cast<const char *>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch)
                faceIndex = 0;
            FcPatternDestroy(match);
        }
        FcCharSetDestroy(needed);
        FcPatternDestroy(pattern);
        return file;
    }
};

Font::Font()
    : d(std::make_unique<Private>()) {}

Font::~Font() {
    d->close();
}

void Font::release() {
    d->close();
}

std::optional<Shape> Font::shape(char32_t c) {
    d->open();
    if (!d->face)
        return std::nullopt;
    const auto found = d->drawn.find(c);
    if (found != d->drawn.end())
        return found->second;
    return d->drawn[c] = d->draw(c);
}

std::optional<Shape> Font::Private::draw(char32_t c) {
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
        return std::nullopt;
    const FT_Bitmap &bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
        return std::nullopt;
    std::vector<float> ink(size_t(bitmap.width) * bitmap.rows);
    for (unsigned int y = 0; y < bitmap.rows; ++y) {
        for (unsigned int x = 0; x < bitmap.width; ++x)
            ink[y * bitmap.width + x] = float(bitmap.buffer[int(y) * bitmap.pitch + int(x)]) / 255.0f;
    }
    const InkImage image{ink.data(), int(bitmap.width), int(bitmap.rows)};
    return fromInk(image, QRect(0, 0, image.width, image.height));
}

} // namespace HanGlyphShapes

#pragma once

#include <QRect>

#include <array>
#include <vector>
#include <memory>
#include <optional>

// The outline of a Chinese character as a small ink map, drawn from a font or
// taken from an image, so that the two can be compared whatever their size.
namespace HanGlyphShapes {

constexpr int side = 20;
// The glyph's inked box fitted into a square and centred, its ink softened
// and scaled to a mean of 0 and a length of 1.
using Shape = std::array<float, side * side>;

// Ink from 0 to 1 per pixel, row by row.
struct InkImage {
    const float *ink;
    int width;
    int height;
};

// The shape of the ink in box (within the image); none when the box holds
// almost no ink.
std::optional<Shape> fromInk(const InkImage &image, const QRect &box);

// How unlike two shapes are: one minus their correlation, 0 to 2.
double distance(const Shape &a, const Shape &b);

// Draws characters in an installed font that holds both Chinese scripts,
// found through fontconfig. Not thread-safe: one thread draws at a time.
class Font final {
public:
    Font();
    ~Font();
    Font(const Font &) = delete;
    Font &operator=(const Font &) = delete;

    // The shape of c; none when no such font is installed or it lacks c.
    std::optional<Shape> shape(char32_t c);
    // Lets the font file go until shape() needs it again.
    void release();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace HanGlyphShapes

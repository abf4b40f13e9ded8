#pragma once

#include "LeptonicaHandles.h"

#include <QImage>

#include <cstdint>
#include <vector>

// An 8-bit grey image, row by row without padding.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t &at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Turns a screen capture into what Tesseract reads best: dark text on a
// light, even background, lines of text about 30 to 40 pixels high, and a
// margin. Each step is its own function so that it can be tried alone.
namespace ScreenImagePreparation {

// The longest side, margin included, that Tesseract reads.
constexpr int maximumSide = 32767;

struct Options {
    // Backgrounds made white, filled shapes made light, greyed-out text made
    // dark, outlines and rules removed, small text enlarged; otherwise only
    // the grey conversion.
    bool preprocess = true;
    // Text lines lower than this (in pixels) are enlarged to about this height.
    int targetLineHeight = 40;
    bool enlarge = true;
};

struct Prepared {
    GreyImage image;
    // The white margin to put around the image.
    int margin = 0;
};

// 8-bit-per-channel formats (grey, RGB, RGBX, ARGB, RGBA) that toGrey reads.
bool isReadableFormat(QImage::Format format);

// Luminance of the image composed over white (transparent areas read as paper).
GreyImage toGrey(const QImage &source);

// Each row's background: its most frequent value, as the median over the
// neighbouring rows.
std::vector<int> rowBackgrounds(const GreyImage &image);

// Rows on a dark background are inverted and every row's background made white.
void makeBackgroundLight(GreyImage &image);

// Filled shapes much larger than a character (buttons, badges, highlights
// narrower than their row) get a white fill and dark text, whichever of the
// two is lighter; filled controls of a glyph's size (toggle switches, ticked
// check boxes, radio buttons) are painted white.
void makeFilledShapesLight(GreyImage &image);

// Every area of one flat light colour (a field beside a grey panel, a button's
// fill) made white, text keeping its contrast; size is more than a stroke's
// width. Dark areas are taken for text (the inside of a dense bold glyph).
void evenOutBackground(GreyImage &image, int size);
// Grey text too light for Tesseract (greyed out) stretched to black; on a
// white background. source is the image before preparation, for its colours.
void darkenFaintText(GreyImage &image, const QImage &source);
// The outlines of buttons, fields and boxes painted white.
void removeOutlines(GreyImage &image);
// Small marks of thin strokes far from other ink (the chevron of a drop-down
// list, a submenu's arrow) painted white.
void removeStrayMarks(GreyImage &image);
// Long straight runs of ink (grid lines, separators, underlines) painted over
// with the background.
void removeRules(GreyImage &image, const std::vector<int> &backgrounds);

// The median height of the bands of rows that hold ink: the height of a line
// of text, or 0 when the image holds none.
int typicalLineHeight(const GreyImage &image, const std::vector<int> &backgrounds);

// The image scaled by factor in both directions, smoothly.
GreyImage scaled(const GreyImage &image, double factor);

// The image as an 8-bit Leptonica image with a white margin around it;
// null when Leptonica cannot make one that large.
PixPointer toPix(const GreyImage &image, int margin);

// What the ink of a prepared image looks like: noise breaks into a great many
// specks, text does not.
struct Texture {
    double inkShare = 0;   // pixels darker than mid-grey, of all pixels
    int shapes = 0;        // connected shapes of such pixels
    double speckShare = 0; // shapes of at most 2 x 2 pixels, of all shapes

    // Thousands of shapes, most of them specks: no screen text looks like this
    // (its specks are dots and the ends of strokes, a few in a hundred shapes).
    bool isNoise() const;
};
Texture texture(const GreyImage &image);

// All of the above in order, as the options say. The result, margin
// included, is never longer than maximumSide on either side.
Prepared prepare(const QImage &source, const Options &options);

} // namespace ScreenImagePreparation

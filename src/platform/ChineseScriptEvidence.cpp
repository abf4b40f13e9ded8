#include "ChineseScriptEvidence.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ChineseScriptEvidence {

namespace {

// Enough characters to tell a page's script; more only cost time.
constexpr int maximumCharacters = 40;
// A weight past which further characters hardly ever turn the choice.
constexpr double settled = 1.5;
// Places tried on each side of the engine's box, over half a character.
constexpr int shifts = 4;

// The square about the character's centre, a line high.
QRect glyphBox(const Character &character) {
    const int height = character.line.height();
    return QRect(character.box.center().x() - height / 2, character.line.top(), height, height);
}

} // namespace

Weight compare(Pix *page, const std::vector<Character> &characters, ChineseScriptChoice &scriptChoice,
               HanGlyphShapes::Font &font) {
    Weight weight;
    if (!page || pixGetDepth(page) != 8)
        return weight;
    const int width = int(pixGetWidth(page));
    const int height = int(pixGetHeight(page));
    const l_uint32 *data = pixGetData(page);
    const int wordsPerLine = int(pixGetWpl(page));
    std::vector<float> ink;
    for (const Character &character : characters) {
        if (weight.characters == maximumCharacters || std::abs(weight.simplified) >= settled)
            break;
        const std::optional<ChineseScriptChoice::Forms> forms = scriptChoice.forms(character.read);
        if (!forms)
            continue;
        const std::optional<HanGlyphShapes::Shape> simplified = font.shape(forms->simplified);
        const std::optional<HanGlyphShapes::Shape> traditional = font.shape(forms->traditional);
        if (!simplified || !traditional)
            continue;
        // The engine's boxes are loose: the glyph is looked for about them,
        // and each form is compared with the place that suits it best.
        bool seenAnywhere = false;
        double toSimplified = 2;
        double toTraditional = 2;
        const int em = character.line.height();
        const QRect centred = glyphBox(character);
        // The ink of every place tried, taken from the page once.
        const QRect around = centred.adjusted(-em / 2, 0, em / 2, 0).intersected(QRect(0, 0, width, height));
        if (around.isEmpty())
            continue;
        ink.resize(size_t(around.width()) * size_t(around.height()));
        for (int y = 0; y < around.height(); ++y) {
            const l_uint32 *line = data + (around.top() + y) * wordsPerLine;
            for (int x = 0; x < around.width(); ++x)
                ink[size_t(y * around.width() + x)] = 1.0f - float(GET_DATA_BYTE(line, around.left() + x)) / 255.0f;
        }
        const HanGlyphShapes::InkImage image{ink.data(), around.width(), around.height()};
        for (int step = -shifts; step <= shifts; ++step) {
            const QRect box = centred.translated(step * em / (2 * shifts) - around.left(), -around.top());
            const std::optional<HanGlyphShapes::Shape> seen = HanGlyphShapes::fromInk(image, box);
            if (!seen)
                continue;
            seenAnywhere = true;
            toSimplified = std::min(toSimplified, HanGlyphShapes::distance(*seen, *simplified));
            toTraditional = std::min(toTraditional, HanGlyphShapes::distance(*seen, *traditional));
        }
        if (!seenAnywhere)
            continue;
        weight.simplified += toTraditional - toSimplified;
        ++weight.characters;
    }
    return weight;
}

std::optional<ChineseScriptChoice::Script> verdict(const Weight &weight) {
    // Less than one character that clearly matches one form.
    constexpr double margin = 0.05;
    if (weight.simplified > margin)
        return ChineseScriptChoice::Script::Simplified;
    if (weight.simplified < -margin)
        return ChineseScriptChoice::Script::Traditional;
    return std::nullopt;
}

} // namespace ChineseScriptEvidence

#pragma once

#include "ChineseScriptChoice.h"
#include "HanGlyphShapes.h"

#include <QRect>

#include <optional>
#include <vector>

struct Pix;

// Which Chinese script a page is written in, told by the shapes of its
// characters. Each script's model reads the other script's glyphs as its own
// forms, and as surely (会 on the page comes back as 會 from the Traditional
// model), so the text read does not tell the script. The glyph on the page
// does: where a character has two forms, the one drawn in a font is compared
// with the ink at the character's place.
namespace ChineseScriptEvidence {

struct Character {
    char32_t read;
    // Where the engine put the character, and its line, on the page.
    QRect box;
    QRect line;
};

// What the compared characters say: positive for Simplified, in units of
// shape difference summed over the characters.
struct Weight {
    double simplified = 0;
    int characters = 0;
};

// Compares up to a few dozen of the characters whose two forms differ with
// both forms' shapes. The page is 8-bit grey, dark text on a light ground.
Weight compare(Pix *page, const std::vector<Character> &characters, ChineseScriptChoice &scriptChoice,
               HanGlyphShapes::Font &font);

// The script the weight points to, or none when it is too slight to tell.
std::optional<ChineseScriptChoice::Script> verdict(const Weight &weight);

} // namespace ChineseScriptEvidence

#include "ChinesePunctuation.h"

#include <algorithm>
#include <string>

namespace ChinesePunctuation {
namespace {

char32_t fullWidthOf(char32_t c, bool opening) {
    switch (c) {
    case U',':
        return U'，';
    case U':':
        return U'：';
    case U';':
        return U'；';
    case U'?':
        return U'？';
    case U'!':
        return U'！';
    case U'(':
        return opening ? U'（' : 0;
    case U')':
        return opening ? 0 : U'）';
    default:
        return 0;
    }
}

} // namespace

bool isChinese(char32_t c) {
    return QChar::script(c) == QChar::Script_Han || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
}

QString normalizeLine(const QString &line) {
    std::u32string text = line.toStdU32String();
    std::u32string out;
    out.reserve(text.size());
    auto previousNonSpace = [&out]() -> char32_t {
        for (auto it = out.rbegin(); it != out.rend(); ++it) {
            if (*it != U' ')
                return *it;
        }
        return 0;
    };
    auto nextNonSpace = [&text](size_t from) -> char32_t {
        for (size_t i = from; i < text.size(); ++i) {
            if (text[i] != U' ')
                return text[i];
        }
        return 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U' ') {
            const char32_t before = previousNonSpace();
            const char32_t after = nextNonSpace(i + 1);
            size_t run = 1;
            while (i + run < text.size() && text[i + run] == U' ')
                ++run;
            i += run - 1;
            if (!out.empty() && out.back() == U' ')
                continue;
            // One space is the engine's own between two Chinese characters;
            // a wider gap parts columns, or a label from its value.
            if (before && after && isChinese(before) && isChinese(after) && run < 2)
                continue;
            out.push_back(c);
            continue;
        }
        const char32_t before = previousNonSpace();
        const char32_t after = nextNonSpace(i + 1);
        const bool chineseBefore = before && isChinese(before);
        const bool chineseAfter = after && isChinese(after);
        char32_t wide = 0;
        if (c == U'(')
            wide = chineseAfter || chineseBefore ? fullWidthOf(c, true) : 0;
        else if (c == U')')
            wide = chineseBefore ? fullWidthOf(c, false) : 0;
        else if (chineseBefore)
            wide = fullWidthOf(c, false);
        // A clause of Chinese text may end in a number or a Latin word: the
        // comma before the next Chinese clause is still a Chinese one.
        else if ((c == U',' || c == U';') && chineseAfter &&
                 !(before >= U'0' && before <= U'9' && after >= U'0' && after <= U'9'))
            wide = fullWidthOf(c, false);
        if (wide) {
            while (!out.empty() && out.back() == U' ')
                out.pop_back();
            out.push_back(wide);
            while (i + 1 < text.size() && text[i + 1] == U' ' && c != U'(')
                ++i;
            continue;
        }
        out.push_back(c);
    }
    return QString::fromStdU32String(out);
}

QString withoutStrayQuotes(const QString &line) {
    constexpr char32_t opening = U'\u201C';
    constexpr char32_t closing = U'\u201D';
    std::u32string text = line.toStdU32String();
    const auto isSpace = [](char32_t c) {
        return QChar::isSpace(c);
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t mark = text[i];
        if (mark != opening && mark != closing)
            continue;
        if (i > 0 && !isSpace(text[i - 1]))
            continue;
        if (i + 1 >= text.size() || !(QChar::script(text[i + 1]) == QChar::Script_Han || QChar::isDigit(text[i + 1])))
            continue;
        // The rest of its word holds no other quote.
        size_t end = i + 1;
        while (end < text.size() && !isSpace(text[end]))
            ++end;
        const auto word = text.begin() + std::ptrdiff_t(i) + 1;
        if (std::find_if(word, text.begin() + std::ptrdiff_t(end), [&](char32_t c) {
                return c == opening || c == closing;
            }) != text.begin() + std::ptrdiff_t(end))
            continue;
        // A partner anywhere on the line makes it a real quote.
        const bool partnered =
            mark == closing
                ? std::find(text.begin(), text.begin() + std::ptrdiff_t(i), opening) != text.begin() + std::ptrdiff_t(i)
                : std::find(text.begin() + std::ptrdiff_t(end), text.end(), closing) != text.end();
        if (!partnered)
            text[i] = U' ';
    }
    return QString::fromStdU32String(text);
}

} // namespace ChinesePunctuation

#include "ChineseScriptChoice.h"

#include <QByteArray>

#include <opencc/opencc.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace {

struct OpenccDeleter {
    void operator()(void *handle) const { opencc_close(static_cast<opencc_t>(handle)); }
};
using OpenccPointer = std::unique_ptr<void, OpenccDeleter>;

struct OpenccTextDeleter {
    void operator()(char *text) const { opencc_convert_utf8_free(text); }
};
using OpenccText = std::unique_ptr<char, OpenccTextDeleter>;

bool isHan(char32_t c) {
    return QChar::script(c) == QChar::Script_Han;
}

bool hasHan(const std::u32string &text) {
    return std::any_of(text.begin(), text.end(), isHan);
}

// How many characters differ between a text and its conversion; all of them
// when the conversion changed the length.
qsizetype differences(const std::u32string &original, const QString &other) {
    const std::u32string converted = other.toStdU32String();
    if (converted.size() != original.size())
        return static_cast<qsizetype>(original.size());
    qsizetype count = 0;
    for (size_t i = 0; i < original.size(); ++i)
        count += original[i] != converted[i] ? 1 : 0;
    return count;
}

} // namespace

struct ChineseScriptChoice::Private {
    std::mutex mutex;
    // Opened on first use, closed by release(); both null when they cannot
    // be opened.
    bool opened = false;
    OpenccPointer toSimplified;
    OpenccPointer toTraditional;

    // With the mutex held.
    void open() {
        if (opened)
            return;
        const auto openConfig = [](const char *config) {
            opencc_t handle = opencc_open(config);
            return handle == reinterpret_cast<opencc_t>(-1) ? OpenccPointer() : OpenccPointer(handle);
        };
        toSimplified = openConfig("t2s.json");
        toTraditional = openConfig("s2tw.json");
        opened = true;
    }

    // Both conversions of the text; false when the tables cannot be opened.
    bool convertBoth(const QString &text, QString &simplified, QString &traditional) {
        const std::lock_guard lock(mutex);
        open();
        if (!toSimplified || !toTraditional)
            return false;
        simplified = convert(toSimplified, text);
        traditional = convert(toTraditional, text);
        return true;
    }

    // With the mutex held.
    static QString convert(const OpenccPointer &converter, const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        OpenccText converted(opencc_convert_utf8(static_cast<opencc_t>(converter.get()), utf8.constData(),
                                                 static_cast<size_t>(utf8.size())));
        return converted ? QString::fromUtf8(converted.get()) : text;
    }
};

ChineseScriptChoice::ChineseScriptChoice()
    : d(std::make_unique<Private>()) {}

ChineseScriptChoice::~ChineseScriptChoice() = default;

void ChineseScriptChoice::release() {
    const std::lock_guard lock(d->mutex);
    d->toSimplified.reset();
    d->toTraditional.reset();
    d->opened = false;
}

bool ChineseScriptChoice::holdsTables() const {
    const std::lock_guard lock(d->mutex);
    return d->toSimplified || d->toTraditional;
}

// The chi_sim and chi_tra models each read some characters in the other
// script; the whole result is turned into the script most of its characters
// are written in.
QString ChineseScriptChoice::unify(const QString &text, Script tie) {
    const std::u32string original = text.toStdU32String();
    if (!hasHan(original))
        return text;
    QString simplified;
    QString traditional;
    if (!d->convertBoth(text, simplified, traditional))
        return text;
    // Characters that change when made simplified are traditional ones, and
    // the other way round.
    const qsizetype traditionalCharacters = differences(original, simplified);
    const qsizetype simplifiedCharacters = differences(original, traditional);
    if (traditionalCharacters == 0 || simplifiedCharacters == 0)
        return text;
    if (traditionalCharacters == simplifiedCharacters)
        return tie == Script::Traditional ? traditional : simplified;
    return traditionalCharacters > simplifiedCharacters ? traditional : simplified;
}

QString ChineseScriptChoice::into(const QString &text, Script script) {
    if (!hasHan(text.toStdU32String()))
        return text;
    QString simplified;
    QString traditional;
    if (!d->convertBoth(text, simplified, traditional))
        return text;
    return script == Script::Traditional ? traditional : simplified;
}

std::optional<ChineseScriptChoice::Forms> ChineseScriptChoice::forms(char32_t c) {
    if (!isHan(c))
        return std::nullopt;
    const QString text = QString::fromUcs4(&c, 1);
    QString simplified;
    QString traditional;
    if (!d->convertBoth(text, simplified, traditional))
        return std::nullopt;
    const std::u32string s = simplified.toStdU32String();
    const std::u32string t = traditional.toStdU32String();
    if (s.size() != 1 || t.size() != 1)
        return std::nullopt;
    if (s[0] != c)
        return Forms{s[0], c};
    if (t[0] != c)
        return Forms{c, t[0]};
    return std::nullopt;
}

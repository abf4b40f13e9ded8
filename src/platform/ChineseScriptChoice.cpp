#include "ChineseScriptChoice.h"

#include <QByteArray>

#include <opencc/opencc.h>

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
    bool hasHan = false;
    for (char32_t c : original)
        hasHan = hasHan || isHan(c);
    if (!hasHan)
        return text;
    QString simplified;
    QString traditional;
    {
        const std::lock_guard lock(d->mutex);
        d->open();
        if (!d->toSimplified || !d->toTraditional)
            return text;
        simplified = Private::convert(d->toSimplified, text);
        traditional = Private::convert(d->toTraditional, text);
    }
    const auto differences = [&original](const QString &other) {
        const std::u32string converted = other.toStdU32String();
        if (converted.size() != original.size())
            return static_cast<qsizetype>(original.size());
        qsizetype count = 0;
        for (size_t i = 0; i < original.size(); ++i)
            count += original[i] != converted[i] ? 1 : 0;
        return count;
    };
    // Characters that change when made simplified are traditional ones, and
    // the other way round.
    const qsizetype traditionalCharacters = differences(simplified);
    const qsizetype simplifiedCharacters = differences(traditional);
    if (traditionalCharacters == 0 || simplifiedCharacters == 0)
        return text;
    if (traditionalCharacters == simplifiedCharacters)
        return tie == Script::Traditional ? traditional : simplified;
    return traditionalCharacters > simplifiedCharacters ? traditional : simplified;
}

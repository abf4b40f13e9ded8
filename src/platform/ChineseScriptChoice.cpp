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
    std::once_flag openOnce;
    std::mutex mutex;
    OpenccPointer toSimplified;
    OpenccPointer toTraditional;

    QString convert(const OpenccPointer &converter, const QString &text) {
        if (!converter)
            return text;
        const QByteArray utf8 = text.toUtf8();
        const std::lock_guard lock(mutex);
        OpenccText converted(opencc_convert_utf8(static_cast<opencc_t>(converter.get()), utf8.constData(),
                                                 static_cast<size_t>(utf8.size())));
        return converted ? QString::fromUtf8(converted.get()) : text;
    }
};

ChineseScriptChoice::ChineseScriptChoice()
    : d(std::make_unique<Private>()) {}

ChineseScriptChoice::~ChineseScriptChoice() = default;

// The chi_sim and chi_tra models each read some characters in the other
// script; the whole result is turned into the script most of its characters
// are written in.
QString ChineseScriptChoice::unify(const QString &text) {
    std::call_once(d->openOnce, [this] {
        const auto open = [](const char *config) {
            opencc_t handle = opencc_open(config);
            return handle == reinterpret_cast<opencc_t>(-1) ? OpenccPointer() : OpenccPointer(handle);
        };
        d->toSimplified = open("t2s.json");
        d->toTraditional = open("s2tw.json");
    });
    if (!d->toSimplified || !d->toTraditional)
        return text;
    const std::u32string original = text.toStdU32String();
    bool hasHan = false;
    for (char32_t c : original)
        hasHan = hasHan || isHan(c);
    if (!hasHan)
        return text;
    const QString simplified = d->convert(d->toSimplified, text);
    const QString traditional = d->convert(d->toTraditional, text);
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
    return traditionalCharacters > simplifiedCharacters ? traditional : simplified;
}

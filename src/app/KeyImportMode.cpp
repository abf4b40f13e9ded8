#include "KeyImportMode.h"

#include "AIKeychain.h"
#include "SecretStore.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace KeyImportMode {

int run(SecretStore &store, QIODevice &input, QIODevice &output, QIODevice &errorOutput) {
    // Only the first line counts; whatever follows it is never read. A key is
    // short, so an endless line is cut off rather than held in memory. Byte by
    // byte: a line reader of the C library would end the line at a NUL.
    QByteArray line;
    char byte = 0;
    while (line.size() <= MaximumKeyBytes + 1 && input.getChar(&byte) && byte != '\n')
        line.append(byte);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > MaximumKeyBytes) {
        errorOutput.write("API key on standard input is too long (more than " + QByteArray::number(MaximumKeyBytes) +
                          " bytes).\n");
        return 1;
    }

    // A key with bytes that are not UTF-8 would be stored with replacement
    // characters, a different key than the one given; refuse it instead.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(line);
    if (decoder.hasError()) {
        errorOutput.write("API key on standard input is not valid UTF-8 text.\n");
        return 1;
    }
    // trimmed() removes Unicode white space and line separators at both ends.
    const QString key = decoded.trimmed();
    if (key.isEmpty()) {
        errorOutput.write("Missing API key on standard input.\n");
        return 1;
    }
    // A NUL would end the key early in C-string clients, and no service issues
    // keys with control characters: refuse them rather than store another key.
    if (std::any_of(key.cbegin(), key.cend(), [](QChar c) { return c.category() == QChar::Other_Control; })) {
        errorOutput.write("API key on standard input contains control characters.\n");
        return 1;
    }

    const auto written = AIKeychain::write(store, key);
    if (!written && AIKeychain::isLocked(written.error())) {
        errorOutput.write("Could not save API key to Keychain: the keyring is locked.\n");
        return 1;
    }
    if (!written) {
        errorOutput.write("Could not save API key to Keychain (code " + QByteArray::number(written.error().code) +
                          ").\n");
        return 1;
    }
    output.write("API key saved in Keychain.\n");
    return 0;
}

} // namespace KeyImportMode

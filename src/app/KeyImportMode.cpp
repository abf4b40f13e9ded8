#include "KeyImportMode.h"

#include "AIKeychain.h"
#include "SecretStore.h"

#include <QIODevice>
#include <QStringDecoder>

namespace KeyImportMode {

int run(SecretStore &store, QIODevice &input, QIODevice &output, QIODevice &errorOutput) {
    // Only the first line counts; whatever follows it is never read.
    QByteArray line = input.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);

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

    const auto written = AIKeychain::write(store, key);
    if (!written) {
        errorOutput.write("Could not save API key to Keychain (code " + QByteArray::number(written.error().code) +
                          ").\n");
        return 1;
    }
    output.write("API key saved in Keychain.\n");
    return 0;
}

} // namespace KeyImportMode

#pragma once

#include <QtGlobal>

class QIODevice;
class SecretStore;

// `vellora --set-ai-key-stdin`: stores the API key read from the first line of
// standard input in the keyring, without any window. Runs synchronously on the
// calling thread; its messages are fixed texts, never translated.
namespace KeyImportMode {

// The longest key line accepted, in bytes; far longer than any service's keys.
constexpr qint64 MaximumKeyBytes = 8192;

// Returns the exit status: 0 saved; 1 no key on the input, input that is not
// UTF-8 text, a key too long or with control characters, or a keyring failure
// (one line on errorOutput).
int run(SecretStore &store, QIODevice &input, QIODevice &output, QIODevice &errorOutput);

} // namespace KeyImportMode

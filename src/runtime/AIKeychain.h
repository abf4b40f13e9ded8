#pragma once

#include "Result.h"

#include <QString>

#include <optional>

class SecretStore;

// The API key of the AI service, kept as one item in the user's keyring
// (service "quorvel.vellora.ai", account "openai-compatible-key") and nowhere
// else. Stateless: every operation asks the store it is given.
//
// Threads: each operation blocks on the keyring (a D-Bus round trip, or an
// unlock prompt), so the GUI calls them through QtConcurrent, never on its own
// thread; the command-line modes call them directly. The store serialises calls.
class AIKeychain final {
public:
    AIKeychain() = delete;

    static QString service();
    static QString account();

    // The stored key, the empty text included; std::nullopt when no key is
    // stored. Fails with the keyring's error, or with code 0 when the stored
    // bytes are not valid UTF-8.
    static Result<std::optional<QString>> read(SecretStore &store);
    // Stores the key's UTF-8 bytes exactly as given, replacing a stored key.
    static Result<void> write(SecretStore &store, const QString &key);
    // Deletes the stored key; a missing key counts as success.
    static Result<void> remove(SecretStore &store);
};

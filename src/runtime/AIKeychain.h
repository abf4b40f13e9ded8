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

    // Every operation fails with domain "Vellora.Keychain", this code and
    // lockedMessage() (a localisation key) when the keyring stays locked: its
    // unlock prompt was declined or cannot be shown.
    static constexpr qint64 LockedCode = 2;
    static QString lockedMessage();
    static bool isLocked(const Error &error);

    // The stored key without white space and line breaks at both ends, the
    // empty text included; std::nullopt when no key is stored. Fails with the
    // keyring's error, with code 0 when the stored bytes are not valid UTF-8,
    // and with LockedCode when the keyring stays locked.
    static Result<std::optional<QString>> read(SecretStore &store);
    // Stores the key's UTF-8 bytes exactly as given, replacing a stored key.
    static Result<void> write(SecretStore &store, const QString &key);
    // Deletes the stored key; a missing key counts as success.
    static Result<void> remove(SecretStore &store);
};

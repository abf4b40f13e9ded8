#pragma once

#include "Result.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// A store of secret items in the user's keyring, each found by a set of
// attribute values. This is the platform's side of the API-key storage: one
// item per attribute set, read, added, updated in place and deleted, with
// "no such item" and "item exists already" reported as outcomes, not errors.
//
// Threads: every call blocks until the keyring answers (a round trip over the
// session bus, longer when the keyring asks the user to unlock it). Calls may
// come from any thread; the GUI calls them off its own thread.
class SecretStore {
public:
    using Attributes = QMap<QString, QString>;

    enum class AddOutcome { Added, Duplicate };

    // Every store reports a keyring that stays locked (its unlock prompt was
    // declined or cannot be shown) with this domain and code, so that callers
    // can say so instead of taking the item for missing.
    static QString lockedDomain() { return QStringLiteral("SecretStore"); }
    static constexpr qint64 LockedCode = 2;
    static bool isLocked(const Error &error) { return error.domain == lockedDomain() && error.code == LockedCode; }

    SecretStore() = default;
    SecretStore(const SecretStore &) = delete;
    SecretStore &operator=(const SecretStore &) = delete;
    virtual ~SecretStore() = default;

    // The secret bytes of the first item that carries all of `attributes`;
    // std::nullopt when none does. An Error when the keyring cannot be asked,
    // or when the item is there but stays locked.
    virtual Result<std::optional<QByteArray>> read(const Attributes &attributes) = 0;

    // Creates an item with these attributes in the default collection.
    // Duplicate, with nothing written, when an item with the attributes exists.
    virtual Result<AddOutcome> add(const Attributes &attributes, const QString &label, const QByteArray &secret) = 0;

    // Replaces the secret of every item that carries `attributes`, keeping the
    // items' other properties. false when no item matched (nothing written).
    virtual Result<bool> update(const Attributes &attributes, const QByteArray &secret) = 0;

    // Deletes every item that carries `attributes`. false when none matched.
    virtual Result<bool> remove(const Attributes &attributes) = 0;
};

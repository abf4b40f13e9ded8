#pragma once

#include "SecretStore.h"

#include <memory>

// SecretStore on the freedesktop Secret Service (gnome-keyring, KWallet)
// through libsecret. Items carry exactly the given attributes and no schema
// attribute, so other clients (secret-tool, Seahorse) find them by the same
// attributes. Calls on one store are serialised; they may come from any thread.
class LibsecretSecretStore final : public SecretStore {
public:
    LibsecretSecretStore();
    ~LibsecretSecretStore() override;

    Result<std::optional<QByteArray>> read(const Attributes &attributes) override;
    Result<AddOutcome> add(const Attributes &attributes, const QString &label, const QByteArray &secret) override;
    Result<bool> update(const Attributes &attributes, const QByteArray &secret) override;
    Result<bool> remove(const Attributes &attributes) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

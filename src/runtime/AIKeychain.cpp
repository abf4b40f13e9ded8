#include "AIKeychain.h"

#include "SecretStore.h"
#include "VelloraLocalization.h"

#include <QStringDecoder>

namespace {

SecretStore::Attributes itemAttributes() {
    return {{QStringLiteral("service"), AIKeychain::service()}, {QStringLiteral("account"), AIKeychain::account()}};
}

// A keyring that stays locked gets a message of its own: the key may well be
// stored, and "save a key" would send the user the wrong way.
Error keyringError(const Error &error) {
    if (!SecretStore::isLocked(error))
        return error;
    return Error{QStringLiteral("Vellora.Keychain"), AIKeychain::LockedCode, AIKeychain::lockedMessage()};
}

} // namespace

QString AIKeychain::lockedMessage() {
    return VELLORA_L10N_KEY("钥匙串已锁定，请先解锁后重试。");
}

bool AIKeychain::isLocked(const Error &error) {
    return error.domain == QLatin1StringView("Vellora.Keychain") && error.code == LockedCode;
}

QString AIKeychain::service() {
    return QStringLiteral("quorvel.vellora.ai");
}

QString AIKeychain::account() {
    return QStringLiteral("openai-compatible-key");
}

Result<std::optional<QString>> AIKeychain::read(SecretStore &store) {
    auto stored = store.read(itemAttributes());
    if (!stored)
        return keyringError(stored.error());
    if (!stored.value())
        return std::optional<QString>();
    // Byte for byte: a leading byte-order mark stays, and a truncated sequence
    // at the end is an error rather than silently dropped.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString key = decoder.decode(*stored.value());
    if (decoder.hasError())
        return Error{QStringLiteral("Vellora.Keychain"), 0,
                     QStringLiteral("The stored API key is not valid UTF-8 text.")};
    // Other clients store what they were given: `secret-tool store` keeps the
    // newline of piped input. The key is trimmed as saveKey trims a typed one.
    return std::optional<QString>(key.trimmed());
}

Result<void> AIKeychain::write(SecretStore &store, const QString &key) {
    const QByteArray bytes = key.toUtf8();
    // Add, or replace the value of the item that exists. The second round
    // covers an item deleted by another client between the two calls.
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto added = store.add(itemAttributes(), QStringLiteral("Vellora AI service API key"), bytes);
        if (!added)
            return keyringError(added.error());
        if (added.value() == SecretStore::AddOutcome::Added)
            return {};
        auto updated = store.update(itemAttributes(), bytes);
        if (!updated)
            return keyringError(updated.error());
        if (updated.value())
            return {};
    }
    return Error{QStringLiteral("Vellora.Keychain"), 1,
                 QStringLiteral("The API key item changed while it was being saved; try again.")};
}

Result<void> AIKeychain::remove(SecretStore &store) {
    auto removed = store.remove(itemAttributes());
    if (!removed)
        return keyringError(removed.error());
    return {};
}

#include "LibsecretSecretStore.h"

#include <QMutex>
#include <QMutexLocker>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

// GLib names a struct member `signals`, which Qt defines as a keyword macro.
#pragma push_macro("signals")
#undef signals
// The path-based calls work without item proxy objects (see search()).
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>
#pragma pop_macro("signals")

namespace {

struct GErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct HashTableUnref {
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};
struct SecretValueUnref {
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};
struct StrvFree {
    void operator()(gchar **strings) const { g_strfreev(strings); }
};
struct VariantUnref {
    void operator()(GVariant *variant) const { g_variant_unref(variant); }
};

using ErrorPtr = std::unique_ptr<GError, GErrorFree>;
using ServicePtr = std::unique_ptr<SecretService, GObjectUnref>;
using ConnectionPtr = std::unique_ptr<GDBusConnection, GObjectUnref>;
using HashTablePtr = std::unique_ptr<GHashTable, HashTableUnref>;
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;
using StrvPtr = std::unique_ptr<gchar *, StrvFree>;
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

// Receives a GError from a C call and owns it afterwards.
class ErrorSlot final {
public:
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot &) = delete;
    ErrorSlot &operator=(const ErrorSlot &) = delete;
    ~ErrorSlot() { ErrorPtr owned(m_error); }

    GError **out() { return &m_error; }
    const GError *get() const { return m_error; }
    explicit operator bool() const { return m_error != nullptr; }

private:
    GError *m_error = nullptr;
};

const QString secretServiceName = QStringLiteral("org.freedesktop.secrets");

Error toError(const GError *error, const QString &action) {
    const QString domain = QString::fromUtf8(g_quark_to_string(error->domain));
    const QString message = QString::fromUtf8(error->message);
    QString description;
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
        (error->domain == G_DBUS_ERROR && error->code >= G_DBUS_ERROR_SPAWN_EXEC_FAILED &&
         error->code <= G_DBUS_ERROR_SPAWN_FAILED)) {
        description = QStringLiteral("%1: no keyring service is running (nothing provides %2 on the session bus).")
                          .arg(action, secretServiceName);
    } else if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) {
        return Error{SecretStore::lockedDomain(), SecretStore::LockedCode,
                     QStringLiteral("%1: the keyring is locked (%2).").arg(action, message)};
    } else {
        description = QStringLiteral("%1: the keyring service reported an error (%2).").arg(action, message);
    }
    return Error{domain, error->code, description};
}

// libsecret reports a declined unlock prompt as failure without a GError.
Error lockedError(const QString &action) {
    return Error{SecretStore::lockedDomain(), SecretStore::LockedCode,
                 QStringLiteral("%1: the keyring is locked and was not unlocked.").arg(action)};
}

HashTablePtr toHashTable(const SecretStore::Attributes &attributes) {
    HashTablePtr table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        g_hash_table_insert(table.get(), g_strdup(it.key().toUtf8().constData()),
                            g_strdup(it.value().toUtf8().constData()));
    return table;
}

SecretValuePtr toSecretValue(const QByteArray &secret) {
    // The secrets this application keeps are text (an API key), so keyring
    // browsers may show them as such.
    return SecretValuePtr(secret_value_new(secret.constData(), secret.size(), "text/plain"));
}

} // namespace

struct LibsecretSecretStore::Private {
    QMutex mutex;

    // The shared Secret Service connection. A missing session bus and a bus
    // without a keyring service are told apart so the error says which.
    Result<ServicePtr> service(const QString &action) {
        ErrorSlot busError;
        ConnectionPtr bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, busError.out()));
        if (!bus) {
            return Error{QString::fromUtf8(g_quark_to_string(busError.get()->domain)), busError.get()->code,
                         QStringLiteral("%1: no keyring service can be reached, because the session bus is not "
                                        "available (%2).")
                             .arg(action, QString::fromUtf8(busError.get()->message))};
        }
        ErrorSlot error;
        ServicePtr result(secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, error.out()));
        if (!result)
            return toError(error.get(), action);
        return result;
    }

    // The object paths of the matching items, unlocked ones first. Paths, not
    // SecretItem objects: an item proxy hands its clean-up to the main
    // context of the thread that made it, which on a worker thread never runs.
    Result<QList<QByteArray>> search(SecretService *service, GHashTable *attributes, bool unlock,
                                     const QString &action) {
        ErrorSlot error;
        gchar **unlockedOut = nullptr;
        gchar **lockedOut = nullptr;
        const bool searched = secret_service_search_for_dbus_paths_sync(service, nullptr, attributes, nullptr,
                                                                        &unlockedOut, &lockedOut, error.out());
        StrvPtr unlocked(unlockedOut);
        StrvPtr locked(lockedOut);
        if (!searched)
            return error ? toError(error.get(), action) : lockedError(action);
        if (unlock && locked && locked.get()[0] != nullptr) {
            gchar **nowUnlockedOut = nullptr;
            {
#ifdef __SANITIZE_ADDRESS__
                // libsecret drops the proxy of a prompt that was dismissed
                // without freeing two small allocations; they are not ours.
                __lsan::ScopedDisabler libsecretPromptLeak;
#endif
                secret_service_unlock_dbus_paths_sync(service, const_cast<const gchar **>(locked.get()), nullptr,
                                                      &nowUnlockedOut, error.out());
            }
            StrvPtr nowUnlocked(nowUnlockedOut);
            if (error)
                return toError(error.get(), action);
            if (!nowUnlocked || g_strv_length(nowUnlocked.get()) != g_strv_length(locked.get()))
                return lockedError(action);
            locked = std::move(nowUnlocked);
        }
        QList<QByteArray> paths;
        for (const StrvPtr *list : {&unlocked, &locked})
            for (gchar **path = list->get(); path != nullptr && *path != nullptr; ++path)
                paths.append(QByteArray(*path));
        return paths;
    }
};

LibsecretSecretStore::LibsecretSecretStore()
    : d(std::make_unique<Private>()) {}

LibsecretSecretStore::~LibsecretSecretStore() {
    // Drops libsecret's shared connection; the next store makes a new one.
    secret_service_disconnect();
}

Result<std::optional<QByteArray>> LibsecretSecretStore::read(const Attributes &attributes) {
    const QString action = QStringLiteral("Reading the secret failed");
    QMutexLocker locker(&d->mutex);
    auto service = d->service(action);
    if (!service)
        return service.error();
    const HashTablePtr table = toHashTable(attributes);
    // Unlocks the item's collection (the keyring may ask the user). A lookup
    // would answer "no such item" for an item that stays locked; the search
    // tells the two apart.
    auto paths = d->search(service.value().get(), table.get(), true, action);
    if (!paths)
        return paths.error();
    if (paths.value().isEmpty())
        return std::optional<QByteArray>();
    ErrorSlot error;
    const SecretValuePtr value(secret_service_get_secret_for_dbus_path_sync(
        service.value().get(), paths.value().constFirst().constData(), nullptr, error.out()));
    if (error)
        return toError(error.get(), action);
    if (!value)
        return lockedError(action);
    gsize length = 0;
    const gchar *bytes = secret_value_get(value.get(), &length);
    return std::optional<QByteArray>(QByteArray(bytes, static_cast<qsizetype>(length)));
}

Result<SecretStore::AddOutcome> LibsecretSecretStore::add(const Attributes &attributes, const QString &label,
                                                          const QByteArray &secret) {
    const QString action = QStringLiteral("Saving the secret failed");
    QMutexLocker locker(&d->mutex);
    auto service = d->service(action);
    if (!service)
        return service.error();
    const HashTablePtr table = toHashTable(attributes);
    auto existing = d->search(service.value().get(), table.get(), false, action);
    if (!existing)
        return existing.error();
    if (!existing.value().isEmpty())
        return AddOutcome::Duplicate;
    const SecretValuePtr value = toSecretValue(secret);
    ErrorSlot error;
    if (!secret_service_store_sync(service.value().get(), nullptr, table.get(), SECRET_COLLECTION_DEFAULT,
                                   label.toUtf8().constData(), value.get(), nullptr, error.out())) {
        return error ? toError(error.get(), action) : lockedError(action);
    }
    return AddOutcome::Added;
}

Result<bool> LibsecretSecretStore::update(const Attributes &attributes, const QByteArray &secret) {
    const QString action = QStringLiteral("Saving the secret failed");
    QMutexLocker locker(&d->mutex);
    auto service = d->service(action);
    if (!service)
        return service.error();
    const HashTablePtr table = toHashTable(attributes);
    auto paths = d->search(service.value().get(), table.get(), true, action);
    if (!paths)
        return paths.error();
    if (paths.value().isEmpty())
        return false;
    ErrorSlot error;
    if (!secret_service_ensure_session_sync(service.value().get(), nullptr, error.out()))
        return toError(error.get(), action);
    const SecretValuePtr value = toSecretValue(secret);
    GDBusProxy *proxy = G_DBUS_PROXY(service.value().get());
    for (const QByteArray &path : paths.value()) {
        // The secret travels encoded for the session that libsecret opened.
        GVariant *encoded = secret_service_encode_dbus_secret(service.value().get(), value.get());
        const VariantPtr reply(g_dbus_connection_call_sync(
            g_dbus_proxy_get_connection(proxy), g_dbus_proxy_get_name(proxy), path.constData(),
            "org.freedesktop.Secret.Item", "SetSecret", g_variant_new_tuple(&encoded, 1), nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, error.out()));
        if (!reply)
            return toError(error.get(), action);
    }
    return true;
}

Result<bool> LibsecretSecretStore::remove(const Attributes &attributes) {
    const QString action = QStringLiteral("Deleting the secret failed");
    QMutexLocker locker(&d->mutex);
    auto service = d->service(action);
    if (!service)
        return service.error();
    const HashTablePtr table = toHashTable(attributes);
    // secret_service_clear_sync() skips locked items and reports "none matched",
    // which would read as a key deleted; the search says locked instead.
    auto paths = d->search(service.value().get(), table.get(), true, action);
    if (!paths)
        return paths.error();
    for (const QByteArray &path : paths.value()) {
        ErrorSlot error;
        if (!secret_service_delete_item_dbus_path_sync(service.value().get(), path.constData(), nullptr, error.out()))
            return error ? toError(error.get(), action) : lockedError(action);
    }
    return !paths.value().isEmpty();
}

#pragma once

#include <QSslConfiguration>

#include <functional>
#include <optional>

class QObject;

// The certificate authorities that HTTPS requests trust: the system's, plus
// those in the PEM file that VELLORA_EXTRA_CA_CERTS names (a test authority, a
// company's proxy). Nothing else adds trust, and nothing turns checks off.
namespace TrustedAuthorities {

// Hands `ready` the TLS configuration a request should carry: none when
// VELLORA_EXTRA_CA_CERTS is unset (the default configuration applies), else the
// default one with the extra authorities added. Reading the certificate stores
// waits on files, so the first call for a file reads them on the thread pool
// and calls `ready` later on context's thread (never once context is gone);
// other calls call it at once. Must be called on context's thread.
void withConfiguration(QObject *context, std::function<void(const std::optional<QSslConfiguration> &)> ready);

} // namespace TrustedAuthorities

#include "TrustedAuthorities.h"

#include <QFuture>
#include <QLoggingCategory>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QSslCertificate>
#include <QSslSocket>
#include <QtConcurrent/QtConcurrentRun>

namespace TrustedAuthorities {
namespace {

Q_LOGGING_CATEGORY(lcAuthorities, "vellora.network")

// The system's authorities plus a file's, read once per file name (the system
// store is a few hundred files).
class Store {
public:
    static std::optional<QList<QSslCertificate>> cached(const QString &path) {
        QMutexLocker locker(&mutex());
        const auto found = certificates().constFind(path);
        if (found == certificates().cend())
            return std::nullopt;
        return *found;
    }

    // May run on any thread.
    static QList<QSslCertificate> load(const QString &path) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(path, QSsl::Pem);
        if (extra.isEmpty())
            qCWarning(lcAuthorities) << "VELLORA_EXTRA_CA_CERTS names no readable PEM certificates:" << path;
        QList<QSslCertificate> all = QSslConfiguration::systemCaCertificates() + extra;
        QMutexLocker locker(&mutex());
        certificates().insert(path, all);
        return all;
    }

private:
    static QMutex &mutex() {
        static QMutex m;
        return m;
    }
    static QMap<QString, QList<QSslCertificate>> &certificates() {
        static QMap<QString, QList<QSslCertificate>> s;
        return s;
    }
};

QSslConfiguration trusting(const QList<QSslCertificate> &authorities) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(authorities);
    return configuration;
}

} // namespace

void withConfiguration(QObject *context, std::function<void(const std::optional<QSslConfiguration> &)> ready) {
    const QString path = qEnvironmentVariable("VELLORA_EXTRA_CA_CERTS");
    if (path.isEmpty()) {
        ready(std::nullopt);
        return;
    }
    if (const std::optional<QList<QSslCertificate>> authorities = Store::cached(path)) {
        ready(trusting(*authorities));
        return;
    }
    // The TLS library starts here first, so the pool thread only parses
    // certificates and keeps no per-thread TLS state that would outlive the task.
    QSslSocket::supportsSsl();
    QtConcurrent::run(&Store::load, path).then(context, [ready](const QList<QSslCertificate> &authorities) {
        ready(trusting(authorities));
    });
}

} // namespace TrustedAuthorities

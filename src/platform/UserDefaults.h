#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

class QSettings;

// A domain of user settings: key/value pairs kept in an INI file through
// QSettings, plus registered defaults that reads fall back to (they are never
// written). The standard domain is $XDG_CONFIG_HOME/Vellora/Vellora.conf, the
// file that the interface-language lookup also reads "language" from.
//
// INI stores text, so a typed read interprets what is stored: a Boolean is
// true or false, an integer is decimal digits, binary data is QSettings's
// @ByteArray form. A typed read gives std::nullopt both when the key is absent
// and when the stored value cannot be read as that type; contains() tells the two apart.
//
// Threads: one domain object is used on one thread (the GUI thread in the app).
class UserDefaults final {
public:
    // The user's standard domain.
    UserDefaults();
    // A domain in a file of its own: tests and the verification modes, which must
    // never touch the user's settings.
    explicit UserDefaults(const QString &filePath);
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;
    ~UserDefaults();

    QString fileName() const;

    // Values that reads return for keys that are not stored. Later calls add to
    // and replace earlier registrations.
    void registerDefaults(const QVariantMap &defaults);

    // Whether the key is stored or registered.
    bool contains(const QString &key) const;
    // The stored value, or the registered one, or an invalid QVariant.
    QVariant value(const QString &key) const;

    std::optional<QString> string(const QString &key) const;
    std::optional<bool> boolean(const QString &key) const;
    std::optional<qint64> integer(const QString &key) const;
    std::optional<QByteArray> data(const QString &key) const;

    void setString(const QString &key, const QString &value);
    void setBoolean(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void setData(const QString &key, const QByteArray &value);
    // Removes the stored value; a registered default shows through again.
    void remove(const QString &key);

    // Writes pending changes to the file and reads changes other processes made.
    // Fails when the file cannot be written or is not valid INI.
    Result<void> synchronize();

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};

#include "UserDefaults.h"

#include <QSettings>

namespace {

// Stored values are text (see setBoolean); registered defaults may be typed.
std::optional<bool> toBoolean(const QVariant &value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1StringView("true"))
            return true;
        if (text == QLatin1StringView("false"))
            return false;
    }
    return std::nullopt;
}

std::optional<qint64> toInteger(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

UserDefaults::UserDefaults()
    // NativeFormat on Linux is INI text named Vellora.conf (IniFormat would name it .ini).
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellora"),
                                             QStringLiteral("Vellora"))) {}

UserDefaults::UserDefaults(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

UserDefaults::~UserDefaults() = default;

QString UserDefaults::fileName() const {
    return m_settings->fileName();
}

void UserDefaults::registerDefaults(const QVariantMap &defaults) {
    m_registered.insert(defaults);
}

bool UserDefaults::contains(const QString &key) const {
    return m_settings->contains(key) || m_registered.contains(key);
}

QVariant UserDefaults::value(const QString &key) const {
    const QVariant stored = m_settings->value(key);
    return stored.isValid() ? stored : m_registered.value(key);
}

std::optional<QString> UserDefaults::string(const QString &key) const {
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

std::optional<bool> UserDefaults::boolean(const QString &key) const {
    return toBoolean(value(key));
}

std::optional<qint64> UserDefaults::integer(const QString &key) const {
    return toInteger(value(key));
}

std::optional<QByteArray> UserDefaults::data(const QString &key) const {
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return stored.toByteArray();
}

void UserDefaults::setString(const QString &key, const QString &value) {
    m_settings->setValue(key, value);
}

// Booleans and integers are written as the text that the file will hold, so a
// read gives the same answer before and after the file is read back.
void UserDefaults::setBoolean(const QString &key, bool value) {
    m_settings->setValue(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void UserDefaults::setInteger(const QString &key, qint64 value) {
    m_settings->setValue(key, QString::number(value));
}

void UserDefaults::setData(const QString &key, const QByteArray &value) {
    m_settings->setValue(key, value);
}

void UserDefaults::remove(const QString &key) {
    m_settings->remove(key);
}

Result<void> UserDefaults::synchronize() {
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return Error{QStringLiteral("Vellora.UserDefaults"), 1,
                     QStringLiteral("The settings file %1 could not be written.").arg(fileName())};
    case QSettings::FormatError:
        return Error{QStringLiteral("Vellora.UserDefaults"), 2,
                     QStringLiteral("The settings file %1 is not a valid settings file.").arg(fileName())};
    }
    return {};
}

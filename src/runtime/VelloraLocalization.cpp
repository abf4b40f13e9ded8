#include "VelloraLocalization.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QTranslator>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>

namespace {

// Every message of the tables lives in this one context.
constexpr char translationContext[] = "Vellora";

const QString english = QStringLiteral("en");
const QString traditional = QStringLiteral("zh-Hant");
const QString simplified = QStringLiteral("zh-Hans");

// Loaded tables by language, kept for the process. A table is immutable once loaded,
// so keeping it cannot hide a language change: the language is chosen per call.
class Tables final {
public:
    static Tables &shared() {
        static Tables tables;
        return tables;
    }

    // The table's rendering of key, or a null text when the table has none.
    QString translate(const QString &language, const QString &key, int count) {
        const QByteArray source = key.toUtf8();
        QMutexLocker locker(&m_mutex);
        const QTranslator *translator = load(language);
        if (!translator)
            return {};
        QString text = translator->translate(translationContext, source.constData(), nullptr, count);
        // A message without plural forms has only its first form; asking it for a later
        // plural form finds nothing.
        if (text.isEmpty() && count >= 0)
            text = translator->translate(translationContext, source.constData());
        return text.isEmpty() ? QString() : text;
    }

private:
    const QTranslator *load(const QString &language) {
        auto found = m_translators.find(language);
        if (found == m_translators.end()) {
            auto translator = std::make_unique<QTranslator>();
            QString fileName = language;
            fileName.replace(u'-', u'_');
            if (!translator->load(QStringLiteral(":/i18n/vellora_") + fileName + QStringLiteral(".qm")))
                translator.reset();
            found = m_translators.emplace(language, std::move(translator)).first;
        }
        return found->second.get();
    }

    QMutex m_mutex;
    std::map<QString, std::unique_ptr<QTranslator>> m_translators;
};

struct Placeholder {
    qsizetype start = 0;
    qsizetype length = 0;
    QChar conversion;    // '@', 'd' or '%'
    qsizetype index = 0; // the value it takes
};

// The next printf-style placeholder at or after from: %% and, with an optional
// "N$" position and length modifiers, %@ and %d (also %i, %u). Unknown conversions are
// left alone as plain text.
bool nextPlaceholder(const QString &format, qsizetype from, qsizetype &nextIndex, Placeholder &placeholder) {
    for (qsizetype i = format.indexOf(u'%', from); i >= 0; i = format.indexOf(u'%', i + 1)) {
        qsizetype j = i + 1;
        if (j < format.size() && format.at(j) == u'%') {
            placeholder = {i, 2, u'%', -1};
            return true;
        }
        qsizetype position = -1;
        qsizetype k = j;
        while (k < format.size() && format.at(k).isDigit())
            ++k;
        if (k > j && k < format.size() && format.at(k) == u'$') {
            position = QStringView(format).mid(j, k - j).toLongLong() - 1;
            j = k + 1;
        }
        while (j < format.size() && (format.at(j) == u'l' || format.at(j) == u'q' || format.at(j) == u'z'))
            ++j;
        if (j >= format.size())
            return false;
        const QChar conversion = format.at(j);
        if (conversion == u'@' || conversion == u'd' || conversion == u'i' || conversion == u'u') {
            const qsizetype index = position >= 0 ? position : nextIndex++;
            placeholder = {i, j + 1 - i, conversion == u'@' ? u'@' : u'd', index};
            return true;
        }
    }
    return false;
}

bool isNumber(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString render(const QVariant &value, QChar conversion, const QLocale &locale) {
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return conversion == u'd' ? locale.toString(qRound64(value.toDouble())) : locale.toString(value.toDouble());
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong)
        return locale.toString(value.toULongLong());
    if (isNumber(value))
        return locale.toString(value.toLongLong());
    if (conversion == u'd') {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (ok)
            return locale.toString(number);
    }
    return value.toString();
}

// The count that chooses a plural form: the value of the key's first %d.
int pluralCount(const QString &key, const QVariantList &values) {
    qsizetype nextIndex = 0;
    Placeholder placeholder;
    for (qsizetype from = 0; nextPlaceholder(key, from, nextIndex, placeholder);
         from = placeholder.start + placeholder.length) {
        if (placeholder.conversion != u'd')
            continue;
        if (placeholder.index < 0 || placeholder.index >= values.size())
            return -1;
        bool ok = false;
        const qlonglong count = values.at(placeholder.index).toLongLong(&ok);
        return ok ? int(std::clamp<qlonglong>(count, 0, std::numeric_limits<int>::max())) : -1;
    }
    return -1;
}

QString localizedWithCount(const QString &key, const QString &language, const QStringList &preferredLanguages,
                           int count) {
    const QString table = VelloraLocalization::resolvedLanguage(language, preferredLanguages);
    const QString text = Tables::shared().translate(table, key, count);
    return text.isNull() ? key : text;
}

} // namespace

namespace VelloraLocalization {

QStringList availableLanguages() {
    return {english, traditional, simplified};
}

QString qtTranslationName(const QString &table) {
    if (table == simplified)
        return QStringLiteral("qtbase_zh_CN");
    if (table == traditional)
        return QStringLiteral("qtbase_zh_TW");
    return {};
}

bool installQtTranslations(const QString &language, const QStringList &preferredLanguages) {
    // One translator for the process, filled anew for each language.
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    const QString name = qtTranslationName(resolvedLanguage(language, preferredLanguages));
    if (name.isEmpty())
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

QString resolvedLanguage(const QString &language, const QStringList &preferredLanguages) {
    if (language == english || language == traditional || language == simplified)
        return language;
    for (const QString &tag : preferredLanguages) {
        // Accept POSIX forms too (zh_TW.UTF-8@euro).
        QString normalized = tag.section(u'.', 0, 0).section(u'@', 0, 0);
        normalized.replace(u'_', u'-');
        const QStringList parts = normalized.split(u'-', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        const QString primary = parts.first().toLower();
        if (primary == QStringLiteral("en"))
            return english;
        if (primary != QStringLiteral("zh"))
            continue;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString part = parts.at(i).toLower();
            if (part == QStringLiteral("hant") || part == QStringLiteral("tw") || part == QStringLiteral("hk") ||
                part == QStringLiteral("mo"))
                return traditional;
            if (part == QStringLiteral("hans"))
                return simplified;
        }
        return simplified;
    }
    // None of the user's languages is one the application speaks: English is the
    // likelier second language than Chinese.
    return english;
}

QString localized(const QString &key, const QString &language, const QStringList &preferredLanguages) {
    return localizedWithCount(key, language, preferredLanguages, -1);
}

QString fillFormat(const QString &format, const QVariantList &values, const QLocale &locale) {
    QString result;
    result.reserve(format.size() + 16 * values.size());
    qsizetype nextIndex = 0;
    qsizetype copied = 0;
    Placeholder placeholder;
    while (nextPlaceholder(format, copied, nextIndex, placeholder)) {
        result += QStringView(format).mid(copied, placeholder.start - copied);
        const QStringView original = QStringView(format).mid(placeholder.start, placeholder.length);
        if (placeholder.conversion == u'%')
            result += u'%';
        else if (placeholder.index >= 0 && placeholder.index < values.size())
            result += render(values.at(placeholder.index), placeholder.conversion, locale);
        else
            result += original; // a missing value stays visible rather than vanishing
        copied = placeholder.start + placeholder.length;
    }
    result += QStringView(format).mid(copied);
    return result;
}

} // namespace VelloraLocalization

QString velloraLocalized(const QString &key, const QString &language) {
    // uiLanguages() lists the user's languages as BCP 47 tags and honours LANGUAGE and LANG.
    return VelloraLocalization::localized(key, language, QLocale::system().uiLanguages());
}

QString velloraStoredLanguage() {
    // The user defaults' file, $XDG_CONFIG_HOME/Vellora/Vellora.conf: on Linux the native
    // format is INI text with the .conf name (IniFormat would name it Vellora.ini).
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellora"),
                             QStringLiteral("Vellora"));
    const QVariant value = settings.value(QStringLiteral("language"));
    return value.isValid() ? value.toString() : QStringLiteral("system");
}

QString velloraLocalizedStored(const QString &key) {
    return velloraLocalized(key, velloraStoredLanguage());
}

QString velloraLocalizedFormatValues(const QString &key, const QVariantList &values) {
    return velloraLocalizedFormatValuesIn(velloraStoredLanguage(), key, values);
}

QString velloraLocalizedFormatValuesIn(const QString &language, const QString &key, const QVariantList &values) {
    const QString format = localizedWithCount(key, language, QLocale::system().uiLanguages(), pluralCount(key, values));
    return VelloraLocalization::fillFormat(format, values, QLocale());
}

QString velloraLocalizedDescription(const QString &description, const QString &language)
{
    static const QRegularExpression withStatus(QStringLiteral("^(.*（HTTP )(\\d+)(）。)$"));
    const QRegularExpressionMatch match = withStatus.match(description);
    if (match.hasMatch()) {
        const QString key = match.captured(1) + QStringLiteral("%d") + match.captured(3);
        return velloraLocalizedFormatIn(language, key, match.captured(2).toInt());
    }
    return velloraLocalized(description, language);
}

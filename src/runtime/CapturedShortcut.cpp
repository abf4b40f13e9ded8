#include "CapturedShortcut.h"

#include "KeyCodeTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <cmath>

namespace {

std::optional<quint32> unsignedValue(const QJsonValue &value) {
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= 0.0 && number <= 4294967295.0) || std::floor(number) != number)
        return std::nullopt;
    return static_cast<quint32>(number);
}

} // namespace

CapturedShortcut CapturedShortcut::defaultShortcut() {
    return CapturedShortcut{19, Control | Shift | Command, QStringLiteral("2")};
}

QString CapturedShortcut::displayTitle() const {
    QStringList parts;
    if (modifiers & Control)
        parts.append(QStringLiteral("Ctrl"));
    if (modifiers & Option)
        parts.append(QStringLiteral("Alt"));
    if (modifiers & Shift)
        parts.append(QStringLiteral("Shift"));
    if (modifiers & Command)
        parts.append(QStringLiteral("Super"));
    const QString name = KeyCodeTable::keyName(keyCode);
    parts.append(name.isEmpty() ? label : name);
    return parts.join(u'+');
}

QByteArray CapturedShortcut::toJson() const {
    // QJsonObject sorts its keys; the stored form keeps the record's field
    // order, so the object is written by hand with Qt escaping the label.
    QByteArray quotedLabel = QJsonDocument(QJsonArray{label}).toJson(QJsonDocument::Compact);
    quotedLabel = quotedLabel.mid(1, quotedLabel.size() - 2);
    return "{\"keyCode\":" + QByteArray::number(keyCode) + ",\"modifiers\":" + QByteArray::number(modifiers) +
           ",\"label\":" + quotedLabel + '}';
}

QJsonObject CapturedShortcut::toJsonObject() const {
    return QJsonObject{{QStringLiteral("keyCode"), static_cast<qint64>(keyCode)},
                       {QStringLiteral("modifiers"), static_cast<qint64>(modifiers)},
                       {QStringLiteral("label"), label}};
}

std::optional<CapturedShortcut> CapturedShortcut::fromJson(const QByteArray &json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJsonObject(document.object());
}

std::optional<CapturedShortcut> CapturedShortcut::fromJsonObject(const QJsonObject &object) {
    const auto keyCode = unsignedValue(object.value(QStringLiteral("keyCode")));
    const auto modifiers = unsignedValue(object.value(QStringLiteral("modifiers")));
    const QJsonValue label = object.value(QStringLiteral("label"));
    if (!keyCode || !modifiers || !label.isString())
        return std::nullopt;
    return CapturedShortcut{*keyCode, *modifiers, label.toString()};
}

#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <optional>

class QJsonObject;

// The global hot key as a plain value: a macOS virtual key code (positional,
// like evdev: 19 is the key that types "2" on a US layout), a modifier mask
// and the key's own name. The hot-key layer and the recorder translate to and
// from X11; this record keeps the vocabulary that config.json carries, so the
// file is the same on every machine.
struct CapturedShortcut {
    // Modifier bits of `modifiers`. Command is the Super key, Option is Alt.
    static constexpr quint32 Command = 256;
    static constexpr quint32 Shift = 512;
    static constexpr quint32 Option = 2048;
    static constexpr quint32 Control = 4096;

    quint32 keyCode = 0;
    quint32 modifiers = 0;
    QString label;

    // Control + Shift + Command + 2.
    static CapturedShortcut defaultShortcut();

    // The shortcut as a PC keyboard reads it: "Ctrl+", "Alt+", "Shift+", "Super+"
    // for the bits that are set, in that order, then the key's name. Keys named by
    // what they do ("F5", "Space", "Enter") are named from the key code, so a label
    // written elsewhere ("按键 96", or a Mac's private character for F5) never
    // shows; every other key shows its label.
    QString displayTitle() const;

    // {"keyCode":…,"modifiers":…,"label":…} with the keys in this order, UTF-8.
    QByteArray toJson() const;
    QJsonObject toJsonObject() const;
    // Strict: all three keys present, integers within 0…4294967295 and a text
    // label, or std::nullopt. Other keys are ignored; key order does not matter.
    static std::optional<CapturedShortcut> fromJson(const QByteArray &json);
    static std::optional<CapturedShortcut> fromJsonObject(const QJsonObject &object);

    friend bool operator==(const CapturedShortcut &, const CapturedShortcut &) = default;
};

Q_DECLARE_METATYPE(CapturedShortcut)

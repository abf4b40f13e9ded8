#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class UserDefaults;

// The interface languages of the appearance module, which carries its own texts.
enum class NativeAppearanceLanguage {
    English,
    SimplifiedChinese,
    TraditionalChinese,
};

// Resolves a language setting ("system", "en", "zh-Hans", "zh-Hant", or any tag).
// "system" takes the first of preferredLanguages (by default the user's), or English.
NativeAppearanceLanguage nativeAppearanceLanguage(const QString &setting);
NativeAppearanceLanguage nativeAppearanceLanguage(const QString &setting, const QStringList &preferredLanguages);

// One of the six accent palettes: the colour of buttons, switches and selected
// states, and the application icon that goes with it. The raw value (the case
// name) is what the settings and config.json store.
class NativeAccentPalette final {
public:
    enum Value {
        Terracotta,
        Coral,
        Amber,
        Forest,
        Ocean,
        Violet,
    };

    // Not used by Vellora, which stores its choice under "vellora.accentPalette".
    static constexpr char16_t StandardDefaultsKey[] = u"appearance.accentPalette";

    constexpr NativeAccentPalette(Value value = Violet) : m_value(value) {}

    // Every palette, in the order the picker shows them.
    static QList<NativeAccentPalette> allCases();
    // The palette whose raw value this is; nothing for any other text.
    static std::optional<NativeAccentPalette> fromRawValue(const QString &rawValue);
    // The palette stored under key, or fallback when nothing or an unknown text is stored.
    static NativeAccentPalette current(NativeAccentPalette fallback, const QString &key, const UserDefaults &defaults);

    Value value() const { return m_value; }
    QString rawValue() const;
    // The palette's name in a language setting's language.
    QString title(const QString &language = QStringLiteral("system")) const;
    QString title(NativeAppearanceLanguage language) const;
    // The palette's colour, the same in light and dark mode.
    QColor color() const;

    friend bool operator==(NativeAccentPalette, NativeAccentPalette) = default;

private:
    Value m_value;
};

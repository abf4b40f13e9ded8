#include "NativeAccentPalette.h"

#include "UserDefaults.h"

#include <QLocale>

namespace {

struct PaletteEntry {
    const char16_t *rawValue;
    int red;
    int green;
    int blue;
    const char16_t *english;
    const char16_t *simplified;
    const char16_t *traditional;
};

// In the order of NativeAccentPalette::Value.
constexpr PaletteEntry Entries[] = {
    {u"terracotta", 180, 91, 67, u"Terracotta", u"陶土", u"陶土"},
    {u"coral", 213, 68, 77, u"Coral", u"珊瑚", u"珊瑚"},
    {u"amber", 180, 108, 26, u"Amber", u"琥珀", u"琥珀"},
    {u"forest", 41, 116, 88, u"Forest", u"森林", u"森林"},
    {u"ocean", 32, 107, 174, u"Ocean", u"海蓝", u"海藍"},
    {u"violet", 104, 77, 167, u"Violet", u"紫罗兰", u"紫羅蘭"},
};

const PaletteEntry &entry(NativeAccentPalette palette)
{
    return Entries[palette.value()];
}

} // namespace

NativeAppearanceLanguage nativeAppearanceLanguage(const QString &setting)
{
    return nativeAppearanceLanguage(setting, QLocale::system().uiLanguages());
}

NativeAppearanceLanguage nativeAppearanceLanguage(const QString &setting, const QStringList &preferredLanguages)
{
    QString identifier = setting;
    if (setting == QLatin1String("system"))
        identifier = preferredLanguages.isEmpty() ? QStringLiteral("en") : preferredLanguages.first();
    identifier = identifier.toLower();
    if (!identifier.startsWith(QLatin1String("zh")))
        return NativeAppearanceLanguage::English;
    for (const char *traditional : {"hant", "-tw", "-hk", "-mo"}) {
        if (identifier.contains(QLatin1String(traditional)))
            return NativeAppearanceLanguage::TraditionalChinese;
    }
    return NativeAppearanceLanguage::SimplifiedChinese;
}

QList<NativeAccentPalette> NativeAccentPalette::allCases()
{
    return {Terracotta, Coral, Amber, Forest, Ocean, Violet};
}

std::optional<NativeAccentPalette> NativeAccentPalette::fromRawValue(const QString &rawValue)
{
    for (const NativeAccentPalette palette : allCases()) {
        if (palette.rawValue() == rawValue)
            return palette;
    }
    return std::nullopt;
}

NativeAccentPalette NativeAccentPalette::current(NativeAccentPalette fallback, const QString &key,
                                                 const UserDefaults &defaults)
{
    const std::optional<QString> stored = defaults.string(key);
    if (!stored)
        return fallback;
    return fromRawValue(*stored).value_or(fallback);
}

QString NativeAccentPalette::rawValue() const
{
    return QString::fromUtf16(entry(*this).rawValue);
}

QString NativeAccentPalette::title(const QString &language) const
{
    return title(nativeAppearanceLanguage(language));
}

QString NativeAccentPalette::title(NativeAppearanceLanguage language) const
{
    switch (language) {
    case NativeAppearanceLanguage::SimplifiedChinese:
        return QString::fromUtf16(entry(*this).simplified);
    case NativeAppearanceLanguage::TraditionalChinese:
        return QString::fromUtf16(entry(*this).traditional);
    case NativeAppearanceLanguage::English:
        break;
    }
    return QString::fromUtf16(entry(*this).english);
}

QColor NativeAccentPalette::color() const
{
    const PaletteEntry &e = entry(*this);
    return QColor(e.red, e.green, e.blue);
}

#include "NativeAppAppearance.h"

#include "NativeMenuStyle.h"
#include "UserDefaults.h"

#include <QGuiApplication>

NativeAppAppearance::NativeAppAppearance(NativeAccentPalette defaultPalette, const QString &defaultsKey,
                                         UserDefaults &defaults, IconBuilder iconBuilder, QObject *parent)
    : QObject(parent)
    , m_selection(NativeAccentPalette::current(defaultPalette, defaultsKey, defaults))
    , m_defaultsKey(defaultsKey)
    , m_defaults(defaults)
    , m_iconBuilder(std::move(iconBuilder)) {
    // The model stands for the application's look as a whole, its menus included.
    NativeMenuStyle::install();
}

NativeAppAppearance::~NativeAppAppearance() = default;

QIcon NativeAppAppearance::icon(NativeAccentPalette palette) {
    const auto cached = m_icons.constFind(palette.value());
    if (cached != m_icons.cend())
        return *cached;
    const QIcon built = m_iconBuilder ? m_iconBuilder(palette) : QIcon();
    m_icons.insert(palette.value(), built);
    return built;
}

void NativeAppAppearance::select(NativeAccentPalette palette) {
    if (palette == m_selection)
        return;
    m_defaults.setString(m_defaultsKey, palette.rawValue());
    m_selection = palette;
    emit selectionChanged();
    applyApplicationIcon();
}

void NativeAppAppearance::applyApplicationIcon() {
    QGuiApplication::setWindowIcon(applicationIcon());
}

#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// How far apart two colours read, as the WCAG contrast ratio: 1 for none, 21
// for black on white. Tests of drawings that must stand out from a background.
namespace ColorContrast {

inline double luminance(const QColor &color) {
    const auto channel = [](float value) {
        return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

inline double ratio(const QColor &a, const QColor &b) {
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

} // namespace ColorContrast

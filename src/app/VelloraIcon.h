#pragma once

#include "NativeAccentPalette.h"

#include <QIcon>
#include <QString>

// The application's icon builder: Vellora shows its brand icon whatever the
// palette. The artwork is resources/AppIcon.svg, rendered to PNG at build
// time and embedded as ":/Vellora/BrandIcon.png" (with pixel-fitted sizes
// beside it) and kept as the vector "AppIcon".
namespace VelloraIcon {

QString brandIconPath();
QString appIconPath();
// Every rendered size of the brand icon, smallest first.
QList<int> brandIconSizes();

// The brand icon for a palette.
QIcon image(NativeAccentPalette palette);

// The brand icon from brandIconPath (with its sized siblings "<name>-<n>.png"),
// or when that is missing or unreadable the vector at appIconPath, or when that
// fails too the application's current window icon.
QIcon load(const QString &brandIconPath, const QString &appIconPath);

} // namespace VelloraIcon

#pragma once

#include <QImage>
#include <QRect>

// Where one screen lies in a screenshot of the whole desktop, as the desktop
// portals deliver it: one image of the screens' bounding box in logical
// coordinates, at one scale (usually the largest output scale). Kept apart from
// the widgets so it can be tested without a display.
namespace ScreenshotLayout {

// The pixels of the desktop image that show the screen, at the screen's own
// device resolution (screenRatio device pixels per logical pixel) where the
// image holds at least that many; an image at a lower scale keeps its own
// pixels. The result's devicePixelRatio says which ratio it has. A null image
// when the screen lies outside the desktop image.
QImage screenPart(const QImage &desktop, const QRect &desktopGeometry, const QRect &screenGeometry, qreal screenRatio);

} // namespace ScreenshotLayout

#include "ScreenshotLayout.h"

#include <algorithm>
#include <cmath>

namespace ScreenshotLayout {

QImage screenPart(const QImage &desktop, const QRect &desktopGeometry, const QRect &screenGeometry, qreal screenRatio)
{
    if (desktop.isNull() || desktopGeometry.isEmpty() || screenGeometry.isEmpty())
        return {};
    // The desktop image's scale, read from its size; both axes agree up to the
    // rounding of the image's size.
    const qreal scaleX = qreal(desktop.width()) / desktopGeometry.width();
    const qreal scaleY = qreal(desktop.height()) / desktopGeometry.height();
    const QPoint offset = screenGeometry.topLeft() - desktopGeometry.topLeft();
    const int left = int(std::lround(offset.x() * scaleX));
    const int top = int(std::lround(offset.y() * scaleY));
    const int right = int(std::lround((offset.x() + screenGeometry.width()) * scaleX));
    const int bottom = int(std::lround((offset.y() + screenGeometry.height()) * scaleY));
    const QRect source = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(desktop.rect());
    if (source.isEmpty())
        return {};
    QImage part = desktop.copy(source);

    // A screen of a lower scale than the desktop image's was scaled up into it:
    // bring it back to the screen's own pixels.
    const QSize device(int(std::lround(screenGeometry.width() * screenRatio)),
                       int(std::lround(screenGeometry.height() * screenRatio)));
    if (part.width() > device.width() && part.height() > device.height())
        part = part.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    part.setDevicePixelRatio(qreal(part.width()) / screenGeometry.width());
    return part;
}

} // namespace ScreenshotLayout

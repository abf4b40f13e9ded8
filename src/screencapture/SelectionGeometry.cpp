#include "SelectionGeometry.h"

#include <algorithm>
#include <cmath>

namespace SelectionGeometry {

QRect normalized(const QPoint &anchor, const QPoint &current, const QRect &bounds)
{
    // The pointer's positions are the edges between pixels: a drag from x 100 to
    // x 300 selects 200 columns.
    const QPoint topLeft(std::min(anchor.x(), current.x()), std::min(anchor.y(), current.y()));
    const QSize size(std::abs(current.x() - anchor.x()), std::abs(current.y() - anchor.y()));
    return QRect(topLeft, size).intersected(bounds);
}

bool isSelection(const QPoint &anchor, const QPoint &current)
{
    const QPoint delta = current - anchor;
    return std::abs(delta.x()) >= MinimumDrag && std::abs(delta.y()) >= MinimumDrag;
}

QRect toDevicePixels(const QRect &logical, qreal devicePixelRatio, const QSize &imageSize)
{
    const int left = int(std::floor(logical.left() * devicePixelRatio));
    const int top = int(std::floor(logical.top() * devicePixelRatio));
    const int right = int(std::ceil((logical.right() + 1) * devicePixelRatio));
    const int bottom = int(std::ceil((logical.bottom() + 1) * devicePixelRatio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(QPoint(0, 0), imageSize));
}

QPoint labelPosition(const QRect &selection, const QSize &label, const QRect &bounds, int margin)
{
    int x = selection.left();
    int y = selection.top() - label.height() - margin;
    if (y < bounds.top())
        y = selection.top() + margin;
    x = std::clamp(x, bounds.left(), std::max(bounds.left(), bounds.right() + 1 - label.width()));
    y = std::clamp(y, bounds.top(), std::max(bounds.top(), bounds.bottom() + 1 - label.height()));
    return {x, y};
}

} // namespace SelectionGeometry

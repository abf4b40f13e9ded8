#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The arithmetic of a drag selection, kept apart from the widgets so it can be
// tested without a display.
namespace SelectionGeometry {

// A drag shorter than this (in logical pixels, on both axes) is a click: it cancels.
constexpr int MinimumDrag = 3;

// The rectangle between two pointer positions, clipped to bounds.
QRect normalized(const QPoint &anchor, const QPoint &current, const QRect &bounds);

// Whether a drag from anchor to current is a selection rather than a click.
bool isSelection(const QPoint &anchor, const QPoint &current);

// A logical rectangle on a screen in the device pixels of that screen's image:
// edges are rounded outward so no selected pixel is lost at fractional scales.
QRect toDevicePixels(const QRect &logical, qreal devicePixelRatio, const QSize &imageSize);

// Where the size label goes: above the selection's top-left corner, or inside it
// when there is no room above; always inside bounds.
QPoint labelPosition(const QRect &selection, const QSize &label, const QRect &bounds, int margin);

} // namespace SelectionGeometry

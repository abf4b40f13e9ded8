#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The symbols a toast shows in front of its title; Spinner is the progress
// indicator shown while work goes on.
enum class ToastSymbol {
    Spinner,
    CheckmarkCircleFill,
    ExclamationmarkTriangleFill,
};

// Draws a symbol as vector paths, so it stays crisp at every device pixel ratio.
// phase (0 to 1) turns the spinner.
void paintToastSymbol(QPainter &painter, ToastSymbol symbol, const QRectF &frame, const QColor &color, qreal phase);

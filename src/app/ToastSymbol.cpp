#include "ToastSymbol.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

void paintSpinner(QPainter &painter, const QRectF &frame, const QColor &color, qreal phase)
{
    // Twelve spokes; the brightest one turns with phase and the rest fade behind it.
    constexpr int Spokes = 12;
    const QPointF centre = frame.center();
    const qreal outer = frame.width() * 0.40;
    const qreal inner = frame.width() * 0.20;
    const int lead = int(std::floor(phase * Spokes)) % Spokes;
    QPen pen(color, frame.width() * 0.085, Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < Spokes; ++i) {
        const qreal angle = 2 * std::numbers::pi * i / Spokes - std::numbers::pi / 2;
        const int age = (lead - i + Spokes) % Spokes;
        QColor tinted = color;
        tinted.setAlphaF(float(color.alphaF() * (1.0 - 0.07 * age)));
        pen.setColor(tinted);
        painter.setPen(pen);
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(centre + direction * inner, centre + direction * outer);
    }
}

void paintCheckmarkCircle(QPainter &painter, const QRectF &frame, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(frame.adjusted(1, 1, -1, -1));
    const qreal s = frame.width();
    QPainterPath check;
    check.moveTo(frame.left() + s * 0.28, frame.top() + s * 0.52);
    check.lineTo(frame.left() + s * 0.44, frame.top() + s * 0.67);
    check.lineTo(frame.left() + s * 0.73, frame.top() + s * 0.36);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, s * 0.10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(check);
}

void paintWarningTriangle(QPainter &painter, const QRectF &frame, const QColor &color)
{
    const qreal s = frame.width();
    const QPointF top(frame.center().x(), frame.top() + s * 0.08);
    const QPointF left(frame.left() + s * 0.04, frame.top() + s * 0.90);
    const QPointF right(frame.right() - s * 0.04, frame.top() + s * 0.90);
    QPainterPath triangle;
    triangle.moveTo(top);
    triangle.lineTo(right);
    triangle.lineTo(left);
    triangle.closeSubpath();
    // A stroke of the same colour rounds the corners.
    painter.setPen(QPen(color, s * 0.10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(color);
    painter.drawPath(triangle);

    painter.setPen(QPen(Qt::white, s * 0.10, Qt::SolidLine, Qt::RoundCap));
    const qreal x = frame.center().x();
    painter.drawLine(QPointF(x, frame.top() + s * 0.38), QPointF(x, frame.top() + s * 0.62));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(x, frame.top() + s * 0.76), s * 0.055, s * 0.055);
}

} // namespace

void paintToastSymbol(QPainter &painter, ToastSymbol symbol, const QRectF &frame, const QColor &color, qreal phase)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (symbol) {
    case ToastSymbol::Spinner:
        paintSpinner(painter, frame, color, phase);
        break;
    case ToastSymbol::CheckmarkCircleFill:
        paintCheckmarkCircle(painter, frame, color);
        break;
    case ToastSymbol::ExclamationmarkTriangleFill:
        paintWarningTriangle(painter, frame, color);
        break;
    }
    painter.restore();
}

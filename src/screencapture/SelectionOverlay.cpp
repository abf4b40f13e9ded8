#include "SelectionOverlay.h"

#include "SelectionGeometry.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

const QColor Veil(0, 0, 0, 110);
const QColor Edge(10, 132, 255);
const QColor Guide(255, 255, 255, 150);
constexpr int LabelPadding = 6;
constexpr int LabelMargin = 6;

} // namespace

SelectionOverlay::SelectionOverlay(QScreen *screen, const QPixmap &frozen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint)
    , m_screen(screen)
    , m_frozen(frozen)
{
    setObjectName(QStringLiteral("selectionOverlay"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setScreen(screen);
    setGeometry(screen->geometry());
}

QRect SelectionOverlay::selection() const
{
    if (!m_dragging)
        return {};
    return SelectionGeometry::normalized(m_anchor, m_pointer, rect());
}

void SelectionOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_frozen);
    if (!m_exposed) {
        m_exposed = true;
        QMetaObject::invokeMethod(this, &SelectionOverlay::exposed, Qt::QueuedConnection);
    }

    const QRect chosen = selection();
    QPainterPath veil;
    veil.addRect(rect());
    if (!chosen.isEmpty()) {
        QPainterPath hole;
        hole.addRect(chosen);
        veil = veil.subtracted(hole);
    }
    painter.fillPath(veil, Veil);

    if (chosen.isEmpty()) {
        // Guide lines through the pointer until the drag starts.
        if (rect().contains(m_pointer)) {
            painter.setPen(QPen(Guide, 1));
            painter.drawLine(QPoint(0, m_pointer.y()), QPoint(width(), m_pointer.y()));
            painter.drawLine(QPoint(m_pointer.x(), 0), QPoint(m_pointer.x(), height()));
        }
        return;
    }

    painter.setPen(QPen(Edge, 1.5));
    painter.drawRect(QRectF(chosen).adjusted(0.5, 0.5, -0.5, -0.5));

    const QRect pixels = SelectionGeometry::toDevicePixels(chosen, m_frozen.devicePixelRatio(), m_frozen.size());
    const QString label = QStringLiteral("%1 × %2").arg(pixels.width()).arg(pixels.height());
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QSize labelSize(metrics.horizontalAdvance(label) + 2 * LabelPadding, metrics.height() + LabelPadding);
    const QPoint at = SelectionGeometry::labelPosition(chosen, labelSize, rect(), LabelMargin);
    const QRect box(at, labelSize);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, label);
}

void SelectionOverlay::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit cancelled();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_anchor = event->position().toPoint();
    m_pointer = m_anchor;
    m_dragging = true;
    update();
}

void SelectionOverlay::mouseMoveEvent(QMouseEvent *event)
{
    m_pointer = event->position().toPoint();
    update();
}

void SelectionOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_pointer = event->position().toPoint();
    m_dragging = false;
    if (!SelectionGeometry::isSelection(m_anchor, m_pointer)) {
        emit cancelled();
        return;
    }
    const QRect logical = SelectionGeometry::normalized(m_anchor, m_pointer, rect());
    emit selected(SelectionGeometry::toDevicePixels(logical, m_frozen.devicePixelRatio(), m_frozen.size()));
}

void SelectionOverlay::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SelectionOverlay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_pointer = mapFromGlobal(QCursor::pos());
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

#include "ToastPanel.h"

#include "VelloraToast.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int HorizontalPadding = 18;
constexpr int SymbolSize = 26;
constexpr int Spacing = 12;
constexpr qreal CornerRadius = 16;
constexpr int SpinnerInterval = 80;
constexpr int SpinnerSteps = 12;

} // namespace

ToastPanel::ToastPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint
                           | Qt::NoDropShadowWindowHint)
    , m_title(new QLabel(this))
    , m_detail(new QLabel(this))
{
    setObjectName(QStringLiteral("velloraToast"));
    setWindowTitle(QStringLiteral("Vellora Toast"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(VelloraToast::PanelWidth, VelloraToast::PanelHeight);

    m_title->setObjectName(QStringLiteral("toastTitle"));
    m_detail->setObjectName(QStringLiteral("toastDetail"));
    for (QLabel *label : {m_title, m_detail}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    QFont titleFont = font();
    titleFont.setPixelSize(14);
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    QFont detailFont = font();
    detailFont.setPixelSize(12);
    m_detail->setFont(detailFont);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(HorizontalPadding + SymbolSize + Spacing, 0, HorizontalPadding, 0);
    column->setSpacing(4);
    column->addStretch();
    column->addWidget(m_title);
    column->addWidget(m_detail);
    column->addStretch();

    m_spin.setInterval(SpinnerInterval);
    connect(&m_spin, &QTimer::timeout, this, [this] {
        m_spinStep = (m_spinStep + 1) % SpinnerSteps;
        update(QRect(HorizontalPadding, (height() - SymbolSize) / 2, SymbolSize, SymbolSize));
    });
    applyPalette();
}

void ToastPanel::setContent(const QString &title, const std::optional<QString> &detail, ToastSymbol symbol,
                            const QColor &color)
{
    m_title->setText(title);
    m_detail->setText(detail.value_or(QString()));
    m_detail->setVisible(detail.has_value());
    m_symbol = symbol;
    m_color = color;
    // Two lines at most of each: a longer text is cut at the second line's end.
    m_title->setMaximumHeight(m_title->fontMetrics().lineSpacing() * 2);
    m_detail->setMaximumHeight(m_detail->fontMetrics().lineSpacing() * 2);
    if (m_symbol == ToastSymbol::Spinner && isVisible())
        m_spin.start();
    else if (m_symbol != ToastSymbol::Spinner)
        m_spin.stop();
    update();
}

QString ToastPanel::title() const
{
    return m_title->text();
}

QString ToastPanel::detail() const
{
    return m_detail->isVisibleTo(this) ? m_detail->text() : QString();
}

void ToastPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(card, CornerRadius, CornerRadius);
    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.94f);
    painter.fillPath(shape, material);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.08f);
    painter.setPen(QPen(border, 1));
    painter.drawPath(shape);

    const QRectF frame(HorizontalPadding, (height() - SymbolSize) / 2.0, SymbolSize, SymbolSize);
    paintToastSymbol(painter, m_symbol, frame, m_color, qreal(m_spinStep) / SpinnerSteps);
}

void ToastPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_symbol == ToastSymbol::Spinner)
        m_spin.start();
}

void ToastPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_spin.stop();
}

void ToastPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyPalette();
}

void ToastPanel::applyPalette()
{
    QPalette labels = palette();
    QColor secondary = labels.color(QPalette::WindowText);
    secondary.setAlphaF(0.62f);
    labels.setColor(QPalette::WindowText, secondary);
    m_detail->setPalette(labels);
}

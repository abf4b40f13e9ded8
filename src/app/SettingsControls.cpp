#include "SettingsControls.h"

#include "VelloraLocalization.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr qreal PlateRadius = 8;

QColor blend(const QColor &a, const QColor &b, qreal t) {
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t), float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

// The keyboard focus of the window's own controls: the accent, half strong,
// around the control's shape.
void paintFocusRing(QPainter &painter, const QPalette &colors, const QRectF &shape, qreal radius, qreal width) {
    QColor ring = colors.color(QPalette::Highlight);
    ring.setAlphaF(0.5f);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ring, width));
    painter.drawRoundedRect(shape, radius, radius);
}

// The plate of a grouped-form section: a rounded card a step away from the
// window background, with hairlines between its rows.
class SectionPlate final : public QWidget {
public:
    explicit SectionPlate(QWidget *parent)
        : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        const QColor window = colors.color(QPalette::Window);
        const bool dark = SettingsColors::isDark(colors);
        const QColor plate = dark ? blend(window, Qt::white, 0.06) : blend(window, Qt::white, 0.75);
        const QColor edge = dark ? blend(window, Qt::white, 0.14) : blend(window, Qt::black, 0.10);
        painter.setPen(QPen(edge, 1));
        painter.setBrush(plate);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), PlateRadius, PlateRadius);

        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(edge, 1));
        const QList<QWidget *> rows = findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        QList<QWidget *> visible;
        for (QWidget *row : rows) {
            if (row->isVisible())
                visible.append(row);
        }
        std::sort(visible.begin(), visible.end(), [](QWidget *a, QWidget *b) { return a->y() < b->y(); });
        for (qsizetype index = 0; index + 1 < visible.size(); ++index) {
            const int y = (visible.at(index)->geometry().bottom() + visible.at(index + 1)->geometry().top()) / 2 + 1;
            painter.drawLine(12, y, width() - 12, y);
        }
    }
};

} // namespace

// --- LocalizedTexts ---

void LocalizedTexts::bind(QWidget *owner, const QString &key, Setter setter) {
    m_bindings.append({owner, key, std::move(setter)});
}

void LocalizedTexts::bindText(QLabel *label, const QString &key) {
    bind(label, key, [label](const QString &text) { label->setText(text); });
}

void LocalizedTexts::bindText(QAbstractButton *button, const QString &key) {
    bind(button, key, [button](const QString &text) {
        button->setText(text);
        button->setAccessibleName(text);
    });
}

void LocalizedTexts::apply(const QString &language) {
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.owner)
            binding.setter(velloraLocalized(binding.key, language));
    }
}

// --- SettingsSwitch ---

SettingsSwitch::SettingsSwitch(QWidget *parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SettingsSwitch::sizeHint() const {
    return {40, 24};
}

void SettingsSwitch::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colors = palette();
    const bool dark = SettingsColors::isDark(colors);
    const QRectF track = QRectF(0, 0, 38, 22).translated((width() - 38) / 2.0, (height() - 22) / 2.0);
    QColor fill =
        isChecked() ? colors.color(QPalette::Highlight) : (dark ? QColor(255, 255, 255, 46) : QColor(0, 0, 0, 38));
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.45f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knobSize = track.height() - 4;
    const qreal knobX = isChecked() ? track.right() - 2 - knobSize : track.left() + 2;
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(QRectF(knobX, track.top() + 2.5, knobSize, knobSize));
    painter.setBrush(isEnabled() ? QColor(Qt::white) : QColor(236, 236, 236));
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knobSize, knobSize));
    if (hasFocus())
        paintFocusRing(painter, colors, track.adjusted(-1.5, -1.5, 1.5, 1.5), track.height() / 2 + 1.5, 2);
}

// --- SettingsLink ---

namespace {

constexpr int LinkPadding = 2;

} // namespace

SettingsLink::SettingsLink(QWidget *parent)
    : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_url.isValid() && QDesktopServices::openUrl(m_url))
            emit opened(m_url);
    });
}

void SettingsLink::setUrl(const QUrl &url) {
    m_url = url;
    setToolTip(url.toDisplayString());
}

QSize SettingsLink::sizeHint() const {
    // Room around the text for the focus ring.
    return {fontMetrics().horizontalAdvance(text()) + 2 * LinkPadding, fontMetrics().height() + 2 * LinkPadding};
}

void SettingsLink::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colors = palette();
    QFont linkFont = font();
    linkFont.setUnderline(true);
    painter.setFont(linkFont);
    QColor color = colors.color(QPalette::Link);
    if (isDown())
        color = color.darker(125);
    painter.setPen(color);
    painter.drawText(rect().adjusted(LinkPadding, LinkPadding, -LinkPadding, -LinkPadding),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus())
        paintFocusRing(painter, colors, QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 1.5);
}

void SettingsLink::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

// --- SegmentedControl ---

SegmentedControl::SegmentedControl(QWidget *parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void SegmentedControl::setSegments(const QStringList &titles) {
    m_titles = titles;
    m_current = qBound(0, m_current, int(titles.size()) - 1);
    updateGeometry();
    update();
}

void SegmentedControl::setCurrentIndex(int index) {
    if (index < 0 || index >= m_titles.size() || index == m_current)
        return;
    m_current = index;
    update();
}

int SegmentedControl::segmentWidth() const {
    int widest = 0;
    for (const QString &title : m_titles)
        widest = std::max(widest, fontMetrics().horizontalAdvance(title));
    return widest + 28;
}

QSize SegmentedControl::sizeHint() const {
    return {int(segmentWidth() * m_titles.size()) + 4, fontMetrics().height() + 12};
}

QRectF SegmentedControl::segmentRect(int index) const {
    return QRectF(2 + index * segmentWidth(), 2, segmentWidth(), height() - 4);
}

void SegmentedControl::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colors = palette();
    const bool dark = SettingsColors::isDark(colors);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(dark ? QColor(255, 255, 255, 36) : QColor(0, 0, 0, 30), 1));
    painter.setBrush(dark ? QColor(255, 255, 255, 22) : QColor(0, 0, 0, 14));
    painter.drawRoundedRect(frame, 7, 7);
    for (int index = 0; index < m_titles.size(); ++index) {
        const QRectF segment = segmentRect(index);
        const bool current = index == m_current;
        if (current) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colors.color(QPalette::Highlight));
            painter.drawRoundedRect(segment, 5.5, 5.5);
        } else if (index > 0 && index - 1 != m_current) {
            painter.setPen(QPen(dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 36), 1));
            painter.drawLine(QPointF(segment.left(), segment.top() + 5), QPointF(segment.left(), segment.bottom() - 5));
        }
        painter.setPen(current ? QColor(Qt::white) : colors.color(QPalette::WindowText));
        painter.drawText(segment, Qt::AlignCenter, m_titles.at(index));
    }
    if (hasFocus())
        paintFocusRing(painter, colors, QRectF(rect()).adjusted(1, 1, -1, -1), 7, 2);
}

void SegmentedControl::mousePressEvent(QMouseEvent *event) {
    for (int index = 0; index < m_titles.size(); ++index) {
        if (segmentRect(index).contains(event->position()) && index != m_current) {
            m_current = index;
            update();
            emit activated(index);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent *event) {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int next = m_current + step;
    if (step == 0 || next < 0 || next >= m_titles.size()) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_current = next;
    update();
    emit activated(next);
}

// --- SettingsSection ---

SettingsSection::SettingsSection(QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
    , m_plate(nullptr)
    , m_rows(nullptr) {
    QFont titleFont = m_title->font();
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_title->setContentsMargins(4, 0, 0, 0);
    auto *plate = new SectionPlate(this);
    m_rows = new QVBoxLayout(plate);
    m_rows->setContentsMargins(12, 6, 12, 6);
    m_rows->setSpacing(9);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    layout->addWidget(m_title);
    layout->addWidget(plate, 1);
}

QWidget *SettingsSection::addRow(QWidget *row) {
    row->setParent(m_rows->parentWidget());
    m_rows->addWidget(row);
    return row;
}

QWidget *SettingsSection::addGroup(std::initializer_list<QWidget *> widgets) {
    auto *group = new QWidget;
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(5);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return addRow(group);
}

QWidget *SettingsSection::labeledRow(QLabel *label, QWidget *control) {
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->addWidget(label, 1);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return row;
}

QWidget *SettingsSection::buttonRow(std::initializer_list<QWidget *> buttons) {
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(8);
    for (QWidget *button : buttons)
        layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

// --- SettingsCaption ---

SettingsCaption::SettingsCaption(QWidget *parent)
    : QLabel(parent) {
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont captionFont = font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.9);
    setFont(captionFont);
    applyColor();
}

void SettingsCaption::setTextColor(const QColor &color) {
    m_color = color;
    applyColor();
}

void SettingsCaption::changeEvent(QEvent *event) {
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyColor();
    QLabel::changeEvent(event);
}

void SettingsCaption::setSingleLineText(const QString &text) {
    if (!m_singleLine) {
        m_singleLine = true;
        setWordWrap(false);
        // The caption takes the width it is given instead of its text's.
        setMinimumWidth(1);
        setSizePolicy(QSizePolicy::Ignored, sizePolicy().verticalPolicy());
    }
    m_singleLineText = text;
    setAccessibleName(text);
    elide();
}

void SettingsCaption::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    if (m_singleLine)
        elide();
}

void SettingsCaption::elide() {
    const QString shown = fontMetrics().elidedText(m_singleLineText, Qt::ElideRight, contentsRect().width());
    setText(shown);
    setToolTip(shown == m_singleLineText ? QString() : m_singleLineText);
}

void SettingsCaption::applyColor() {
    m_applying = true;
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText,
                    m_color.isValid()
                        ? m_color
                        : SettingsColors::secondaryText(parentWidget() ? parentWidget()->palette() : palette()));
    setPalette(colors);
    m_applying = false;
}

// --- symbols ---

namespace {

void paintSymbol(QPainter &painter, SettingsSymbol symbol, const QRectF &frame, const QColor &color) {
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = frame.width();
    const QPointF c = frame.center();
    const QPen line(color, s * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (symbol) {
    case SettingsSymbol::Gear: {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal angle = M_PI * i / teeth;
            for (const qreal offset : {-0.17, 0.17}) {
                const qreal radius = (i % 2 == 0 ? 0.47 : 0.36) * s;
                const QPointF point(c.x() + radius * std::cos(angle + offset * M_PI / teeth * 2.2),
                                    c.y() + radius * std::sin(angle + offset * M_PI / teeth * 2.2));
                if (gear.elementCount() == 0)
                    gear.moveTo(point);
                else
                    gear.lineTo(point);
            }
        }
        gear.closeSubpath();
        gear.addEllipse(c, s * 0.15, s * 0.15);
        gear.setFillRule(Qt::OddEvenFill);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(gear);
        break;
    }
    case SettingsSymbol::Sparkles: {
        auto star = [&](QPointF centre, qreal radius) {
            QPainterPath path;
            const qreal w = radius * 0.22;
            path.moveTo(centre.x(), centre.y() - radius);
            path.quadTo(centre.x() + w, centre.y() - w, centre.x() + radius, centre.y());
            path.quadTo(centre.x() + w, centre.y() + w, centre.x(), centre.y() + radius);
            path.quadTo(centre.x() - w, centre.y() + w, centre.x() - radius, centre.y());
            path.quadTo(centre.x() - w, centre.y() - w, centre.x(), centre.y() - radius);
            painter.drawPath(path);
        };
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        star(QPointF(frame.left() + s * 0.40, frame.top() + s * 0.58), s * 0.38);
        star(QPointF(frame.left() + s * 0.78, frame.top() + s * 0.22), s * 0.20);
        star(QPointF(frame.left() + s * 0.80, frame.top() + s * 0.80), s * 0.14);
        break;
    }
    case SettingsSymbol::PaintPalette: {
        QPainterPath plate;
        plate.addEllipse(frame.adjusted(s * 0.06, s * 0.1, -s * 0.06, -s * 0.1));
        QPainterPath notch;
        notch.addEllipse(QPointF(frame.left() + s * 0.66, frame.top() + s * 0.70), s * 0.11, s * 0.11);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(plate.subtracted(notch));
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.setBrush(Qt::black);
        for (const QPointF &dot : {QPointF(0.30, 0.45), QPointF(0.46, 0.30), QPointF(0.66, 0.34)})
            painter.drawEllipse(QPointF(frame.left() + s * dot.x(), frame.top() + s * dot.y()), s * 0.07, s * 0.07);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        break;
    }
    case SettingsSymbol::CheckmarkCircleFill: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(frame.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
        QPainterPath check;
        check.moveTo(frame.left() + s * 0.29, frame.top() + s * 0.52);
        check.lineTo(frame.left() + s * 0.44, frame.top() + s * 0.67);
        check.lineTo(frame.left() + s * 0.72, frame.top() + s * 0.36);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, s * 0.11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(check);
        break;
    }
    case SettingsSymbol::ArrowsCirclepath: {
        // Two arcs chasing each other, each ending in a filled arrowhead.
        const qreal radius = s * 0.34;
        const QRectF circle(c.x() - radius, c.y() - radius, radius * 2, radius * 2);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(line);
        for (const qreal start : {20.0, 200.0}) {
            QPainterPath arc;
            arc.arcMoveTo(circle, start);
            arc.arcTo(circle, start, 125.0);
            painter.drawPath(arc);
            const qreal end = (start + 125.0) * M_PI / 180.0;
            const QPointF tip(c.x() + radius * std::cos(end), c.y() - radius * std::sin(end));
            // The arc runs counter-clockwise on screen; its direction at the end.
            const QPointF along(-std::sin(end), -std::cos(end));
            const QPointF across(std::cos(end), -std::sin(end));
            QPainterPath head;
            head.moveTo(tip + along * (s * 0.16));
            head.lineTo(tip + across * (s * 0.13));
            head.lineTo(tip - across * (s * 0.13));
            head.closeSubpath();
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawPath(head);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(line);
        }
        break;
    }
    case SettingsSymbol::ExclamationCircle: {
        painter.setPen(line);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(frame.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08));
        painter.drawLine(QPointF(c.x(), frame.top() + s * 0.28), QPointF(c.x(), frame.top() + s * 0.56));
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QPointF(c.x(), frame.top() + s * 0.72), s * 0.06, s * 0.06);
        break;
    }
    }
}

} // namespace

QIcon settingsSymbolIcon(SettingsSymbol symbol, const QColor &color, int size) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(size, size) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paintSymbol(painter, symbol, QRectF(0, 0, size, size), color);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// --- colours ---

QColor SettingsColors::success() {
    return QColor(52, 168, 83);
}

QColor SettingsColors::warning() {
    return QColor(230, 126, 34);
}

QColor SettingsColors::failure() {
    return QColor(220, 53, 69);
}

bool SettingsColors::isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor SettingsColors::secondaryText(const QPalette &palette) {
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return blend(window, text, 0.62);
}

#include "NativeMenuRow.h"

#include "NativeMenuLayout.h"

#include <QAction>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

QColor textColor(const QPalette &palette, bool enabled) {
    const QColor active = palette.color(QPalette::Active, QPalette::WindowText);
    if (enabled)
        return active;
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::WindowText);
    // A palette without its own disabled colours would draw disabled rows like enabled ones.
    return disabled == active ? withAlpha(active, 0.4) : disabled;
}

QColor secondaryColor(const QPalette &palette) {
    return withAlpha(palette.color(QPalette::Active, QPalette::WindowText), 0.55);
}

// The check mark and the chevron are drawn as paths so they stay sharp at any scale.
void drawCheckmark(QPainter &painter, const QRectF &box, const QColor &color) {
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.18, box.top() + box.height() * 0.54);
    path.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.78);
    path.lineTo(box.left() + box.width() * 0.84, box.top() + box.height() * 0.24);
    painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void drawChevron(QPainter &painter, const QRectF &box, const QColor &color) {
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.3, box.top() + box.height() * 0.14);
    path.lineTo(box.left() + box.width() * 0.74, box.center().y());
    path.lineTo(box.left() + box.width() * 0.3, box.bottom() - box.height() * 0.14);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

} // namespace

NativeMenuRowContent NativeMenuRowContent::fromAction(const QAction *action, bool selected) {
    NativeMenuRowContent content;
    if (!action)
        return content;
    content.title = action->text();
    content.icon = action->icon();
    content.shortcut = action->shortcut().toString(QKeySequence::NativeText);
    content.checked = selected || (action->isCheckable() && action->isChecked());
    content.enabled = action->isEnabled();
    content.hasSubmenu = action->menu() != nullptr;
    return content;
}

NativeMenuRow::NativeMenuRow(QAction *item, bool selected, QWidget *parent)
    : QAbstractButton(parent)
    , m_sourceItem(item)
    , m_title(item ? item->text() : QString())
    , m_selected(selected) {
    setText(m_title);
    setEnabled(item && item->isEnabled());
    setCheckable(false);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setAccessibleName(plainTitle(m_title));
    connect(this, &QAbstractButton::clicked, this, &NativeMenuRow::activate);
    if (item) {
        // The application may retitle or disable an item while the menu is open.
        connect(item, &QAction::changed, this, [this] {
            if (!m_sourceItem)
                return;
            m_title = m_sourceItem->text();
            setText(m_title);
            setEnabled(m_sourceItem->isEnabled());
            if (!m_sourceItem->isEnabled())
                setMenuHighlighted(false);
            update();
        });
    }
}

NativeMenuRow::~NativeMenuRow() = default;

QAction *NativeMenuRow::item() const {
    if (m_sourceItem)
        return m_sourceItem;
    if (!m_fallbackItem)
        m_fallbackItem = new QAction(m_title, const_cast<NativeMenuRow *>(this));
    return m_fallbackItem;
}

void NativeMenuRow::setMenuHighlighted(bool highlighted) {
    if (m_menuHighlighted == highlighted)
        return;
    m_menuHighlighted = highlighted;
    update();
}

void NativeMenuRow::activate() {
    QAction *action = item();
    if (action->isEnabled() && m_choose)
        m_choose(action);
}

QSize NativeMenuRow::sizeHint() const {
    return QSize(NativeMenuLayout::MinimumWidth - 2 * NativeMenuLayout::RowInset, NativeMenuLayout::RowHeight);
}

QFont NativeMenuRow::titleFont(const QFont &base) {
    QFont font = base;
    font.setPixelSize(13);
    return font;
}

QFont NativeMenuRow::shortcutFont(const QFont &base) {
    QFont font = base;
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    return font;
}

void NativeMenuRow::paint(QPainter &painter, const QRectF &rect, const NativeMenuRowContent &content,
                          const QPalette &palette, const QFont &baseFont, bool highlighted, bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(rect.topLeft());

    const QFont shortcutFont = NativeMenuRow::shortcutFont(baseFont);
    const int shortcutWidth =
        content.shortcut.isEmpty() ? 0 : QFontMetrics(shortcutFont).horizontalAdvance(content.shortcut);
    const NativeMenuLayout::RowGeometry geometry =
        NativeMenuLayout::rowGeometry(rect.size(), content.hasSubmenu, shortcutWidth);
    const QColor accent = palette.color(QPalette::Active, QPalette::Highlight);

    if ((highlighted || pressed) && content.enabled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(accent, pressed ? 0.24 : 0.14));
        painter.drawRoundedRect(geometry.highlight, 6, 6);
    }

    painter.setOpacity(content.enabled ? 1.0 : 0.35);
    if (content.checked)
        drawCheckmark(painter, geometry.icon, accent);
    else if (!content.icon.isNull())
        content.icon.paint(&painter, geometry.icon.toAlignedRect(), Qt::AlignCenter, QIcon::Normal, QIcon::Off);
    painter.setOpacity(1.0);

    const QFont titleFont = NativeMenuRow::titleFont(baseFont);
    painter.setFont(titleFont);
    painter.setPen(textColor(palette, content.enabled));
    const QString title = plainTitle(content.title);
    const QString elided = QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, int(geometry.title.width()));
    painter.drawText(geometry.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, elided);

    if (content.hasSubmenu) {
        drawChevron(painter, geometry.chevron, secondaryColor(palette));
    } else if (!content.shortcut.isEmpty()) {
        painter.setFont(shortcutFont);
        painter.setPen(secondaryColor(palette));
        painter.drawText(geometry.shortcut, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, content.shortcut);
    }
    painter.restore();
}

void NativeMenuRow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const NativeMenuRowContent content = NativeMenuRowContent::fromAction(item(), m_selected);
    paint(painter, rect(), content, palette(), font(), m_menuHighlighted, isDown());
}

void NativeMenuRow::enterEvent(QEnterEvent *event) {
    QAbstractButton::enterEvent(event);
    if (!item()->isEnabled())
        return;
    setMenuHighlighted(true);
    if (m_hovered)
        m_hovered();
}

void NativeMenuRow::leaveEvent(QEvent *event) {
    QAbstractButton::leaveEvent(event);
    setMenuHighlighted(false);
}

QString NativeMenuRow::plainTitle(const QString &title) {
    // "&Copy" shows as "Copy"; "&&" is a literal ampersand.
    QString plain;
    plain.reserve(title.size());
    for (qsizetype index = 0; index < title.size(); ++index) {
        if (title[index] == QLatin1Char('&') && index + 1 < title.size())
            ++index;
        else if (title[index] == QLatin1Char('&'))
            continue;
        plain.append(title[index]);
    }
    return plain;
}

#include "NativeMenuContentView.h"

#include "NativeMenuLayout.h"
#include "NativeMenuRow.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

NativeMenuContentView::NativeMenuContentView(QMenu *menu, QAction *selected, bool hasParent, Callbacks callbacks,
                                             QWidget *parent)
    : QWidget(parent)
    , m_menu(menu)
    , m_callbacks(std::move(callbacks)) {
    setObjectName(QStringLiteral("NativeMenuContentView"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(menu ? NativeMenuRow::plainTitle(menu->title()) : QString());

    const QList<QAction *> actions = menu ? menu->actions() : QList<QAction *>();
    const QFontMetrics metrics(NativeMenuRow::titleFont(font()));
    const QFontMetrics shortcutMetrics(NativeMenuRow::shortcutFont(font()));
    QList<int> titleWidths;
    QList<NativeMenuLayout::ItemKind> kinds;
    for (const QAction *action : actions) {
        // Shortcut texts here read "Ctrl+Shift+R", far wider than the allowance
        // leaves room for: a row with one gets the width of its text on top.
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        titleWidths.append(metrics.horizontalAdvance(NativeMenuRow::plainTitle(action->text())) +
                           (shortcut.isEmpty() ? 0 : shortcutMetrics.horizontalAdvance(shortcut)));
        kinds.append(!action->isVisible()    ? NativeMenuLayout::ItemKind::Hidden
                     : action->isSeparator() ? NativeMenuLayout::ItemKind::Separator
                                             : NativeMenuLayout::ItemKind::Row);
    }
    const NativeMenuLayout::Content content =
        NativeMenuLayout::layout(kinds, NativeMenuLayout::menuWidth(titleWidths), hasParent);
    m_size = content.size;
    resize(m_size);

    int selectedRow = -1;
    for (const NativeMenuLayout::Placement &placement : content.placements) {
        NativeMenuRow *row = nullptr;
        switch (placement.kind) {
        case NativeMenuLayout::Placement::Separator:
            m_separators.append(placement.frame);
            continue;
        case NativeMenuLayout::Placement::BackRow: {
            const QString title = NativeMenuRow::plainTitle(menu->title());
            auto *backItem =
                new QAction(title.isEmpty() ? QStringLiteral("\u2039") : QStringLiteral("\u2039 ") + title, this);
            row = new NativeMenuRow(backItem, false, this);
            row->setObjectName(QStringLiteral("NativeMenuBackRow"));
            row->setChoose([this](QAction *) {
                if (m_callbacks.back)
                    m_callbacks.back();
            });
            break;
        }
        case NativeMenuLayout::Placement::Row: {
            QAction *action = actions[placement.itemIndex];
            const bool isSelected = selected && action == selected;
            row = new NativeMenuRow(action, isSelected, this);
            row->setChoose([this](QAction *item) {
                if (m_callbacks.choose)
                    m_callbacks.choose(item);
            });
            if (isSelected)
                selectedRow = int(m_rows.size());
            break;
        }
        }
        row->setGeometry(placement.frame);
        const int index = int(m_rows.size());
        row->setHovered([this, index] { focus(index); });
        m_rows.append(row);
    }
    if (selectedRow >= 0)
        focus(selectedRow);
}

NativeMenuContentView::~NativeMenuContentView() = default;

void NativeMenuContentView::focus(int index) {
    if (index < 0 || index >= m_rows.size() || !m_rows[index]->item()->isEnabled())
        return;
    m_focused = index;
    for (int other = 0; other < m_rows.size(); ++other)
        m_rows[other]->setMenuHighlighted(other == index);
}

QList<bool> NativeMenuContentView::enabledRows() const {
    QList<bool> enabled;
    for (const NativeMenuRow *row : m_rows)
        enabled.append(row->item()->isEnabled());
    return enabled;
}

void NativeMenuContentView::click(int index) {
    if (index >= 0 && index < m_rows.size())
        m_rows[index]->activate();
}

void NativeMenuContentView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_callbacks.dismiss)
            m_callbacks.dismiss();
        return;
    }
    const QList<bool> enabled = enabledRows();
    const bool anyEnabled = enabled.contains(true);
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (anyEnabled)
            focus(NativeMenuLayout::moveFocus(enabled, m_focused, event->key() == Qt::Key_Down ? 1 : -1));
        return;
    case Qt::Key_Left:
        if (anyEnabled && m_callbacks.back)
            m_callbacks.back();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (anyEnabled && m_focused >= 0)
            click(m_focused);
        return;
    case Qt::Key_Right:
        if (anyEnabled && m_focused >= 0 && m_rows[m_focused]->item()->menu())
            click(m_focused);
        return;
    default:
        if (m_callbacks.shortcut && m_callbacks.shortcut(event->keyCombination()))
            return;
        QWidget::keyPressEvent(event);
    }
}

void NativeMenuContentView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor window = palette().color(QPalette::Active, QPalette::Window);
    QColor edge = palette().color(QPalette::Active, QPalette::WindowText);
    edge.setAlphaF(0.14f);
    // A hairline edge keeps the panel apart from a backdrop of the same colour.
    painter.setPen(QPen(edge, 1));
    painter.setBrush(window);
    const qreal radius = NativeMenuLayout::CornerRadius;
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    QColor line = palette().color(QPalette::Active, QPalette::WindowText);
    line.setAlphaF(0.12f);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const QRect &separator : m_separators)
        painter.fillRect(separator, line);
}

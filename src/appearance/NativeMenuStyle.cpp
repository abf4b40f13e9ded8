#include "NativeMenuStyle.h"

#include "NativeMenuLayout.h"
#include "NativeMenuRow.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

// Restyles each menu as Qt polishes it, which happens before its first popup
// lays out its items.
class MenuWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Polish) {
            if (auto *menu = qobject_cast<QMenu *>(watched))
                NativeMenuStyle::decorate(menu);
        }
        return false;
    }
};

QPointer<MenuWatcher> &watcher() {
    static QPointer<MenuWatcher> instance;
    return instance;
}

// A QMenu item's text carries its shortcut after a tab.
QString titlePart(const QString &text) {
    return text.section(QLatin1Char('\t'), 0, 0);
}

QString shortcutPart(const QString &text) {
    return text.section(QLatin1Char('\t'), 1);
}

} // namespace

NativeMenuStyle::NativeMenuStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
    setObjectName(QStringLiteral("NativeMenuStyle"));
}

NativeMenuStyle *NativeMenuStyle::instance() {
    // Menus keep a plain pointer to their style, and some outlive the
    // application object: the style lives as long as the process.
    static NativeMenuStyle *style = new NativeMenuStyle;
    return style;
}

void NativeMenuStyle::install() {
    if (watcher() || !qApp)
        return;
    watcher() = new MenuWatcher(qApp);
    qApp->installEventFilter(watcher());
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(widget))
            decorate(menu);
    }
}

void NativeMenuStyle::decorate(QMenu *menu) {
    NativeMenuStyle *style = instance();
    if (!menu || menu->style() == style)
        return;
    menu->setStyle(style);
}

int NativeMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const {
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
        return NativeMenuLayout::RowInset - 1;
    case PM_MenuVMargin:
        return NativeMenuLayout::RowInset - 1;
    case PM_SubMenuOverlap:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int NativeMenuStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                               QStyleHintReturn *returnData) const {
    // A disabled row never takes the highlight.
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize NativeMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                        const QWidget *widget) const {
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(size.width(), NativeMenuLayout::SeparatorSpacing);
    const QString title = NativeMenuRow::plainTitle(titlePart(item->text));
    if (title.isEmpty())
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const QFont font = NativeMenuRow::titleFont(widget ? widget->font() : QApplication::font());
    // QMenu takes the widest of its items and adds the shortcut column itself.
    const int width = NativeMenuLayout::styledRowWidth({QFontMetrics(font).horizontalAdvance(title)});
    return QSize(width, NativeMenuLayout::RowHeight);
}

void NativeMenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const {
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuEmptyArea)
        return;
    if (element != CE_MenuItem || !item)
        return QProxyStyle::drawControl(element, option, painter, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        QColor line = option->palette.color(QPalette::Active, QPalette::WindowText);
        line.setAlphaF(0.12f);
        const int inset = NativeMenuLayout::SeparatorInset - NativeMenuLayout::RowInset;
        painter->fillRect(
            QRect(option->rect.left() + inset, option->rect.top() + 5, option->rect.width() - 2 * inset, 1), line);
        return;
    }
    const QString title = titlePart(item->text);
    if (NativeMenuRow::plainTitle(title).isEmpty())
        return QProxyStyle::drawControl(element, option, painter, widget);

    NativeMenuRowContent content;
    content.title = title;
    content.shortcut = shortcutPart(item->text);
    content.icon = item->icon;
    content.checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    content.enabled = option->state.testFlag(State_Enabled);
    content.hasSubmenu = item->menuItemType == QStyleOptionMenuItem::SubMenu;
    const bool highlighted = option->state.testFlag(State_Selected);
    const bool pressed = highlighted && option->state.testFlag(State_Sunken);
    NativeMenuRow::paint(*painter, option->rect, content, option->palette,
                         widget ? widget->font() : QApplication::font(), highlighted, pressed);
}

void NativeMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                    const QWidget *widget) const {
    if (element == PE_PanelMenu) {
        painter->fillRect(option->rect, option->palette.color(QPalette::Active, QPalette::Window));
        return;
    }
    if (element == PE_FrameMenu) {
        QColor edge = option->palette.color(QPalette::Active, QPalette::WindowText);
        edge.setAlphaF(0.18f);
        painter->save();
        painter->setPen(edge);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

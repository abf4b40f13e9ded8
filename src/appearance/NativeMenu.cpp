#include "NativeMenu.h"

#include "NativeMenuContentView.h"
#include "NativeMenuLayout.h"
#include "NativeMenuRow.h"
#include "X11Compositing.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

// Gap between the anchor and the popup, so the release of the click that
// opened it never lands on a row.
constexpr int AnchorGap = 4;

// The popup window: frameless and translucent around the rounded panel, with
// Qt::Popup semantics (a click outside closes it, the keyboard goes to it while
// it is open and back to where it was afterwards).
class NativeMenuPopup final : public QWidget {
public:
    explicit NativeMenuPopup(std::function<void(QWidget *)> hidden)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
        , m_hidden(std::move(hidden)) {
        setObjectName(QStringLiteral("NativeMenuPopup"));
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_DeleteOnClose, false);
    }

    // Sets the panel's shape; the corners outside it stay transparent.
    void setPanelSize(QSize size) {
        resize(size);
        if (!hasAlphaChannel()) {
            // Without a compositing manager transparent pixels show black: cut the corners instead.
            QPainterPath path;
            path.addRoundedRect(QRectF(QPointF(0, 0), size), NativeMenuLayout::CornerRadius,
                                NativeMenuLayout::CornerRadius);
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        } else {
            clearMask();
        }
    }

protected:
    void hideEvent(QHideEvent *event) override {
        QWidget::hideEvent(event);
        if (m_hidden)
            m_hidden(this);
    }

private:
    static bool hasAlphaChannel() {
        return QGuiApplication::platformName() != QLatin1String("xcb") || x11CompositingManagerRunning();
    }

    std::function<void(QWidget *)> m_hidden;
};

} // namespace

NativeMenu &NativeMenu::shared() {
    static QPointer<NativeMenu> instance;
    if (!instance)
        instance = new NativeMenu(qApp);
    return *instance;
}

NativeMenu::NativeMenu(QObject *parent)
    : QObject(parent) {}

QPoint NativeMenu::popupPosition(QSize popupSize, const QRect &anchor, const QRect &available) {
    int x = anchor.center().x() - popupSize.width() / 2;
    int y = anchor.bottom() + 1 + AnchorGap;
    if (y + popupSize.height() > available.bottom() + 1) {
        const int above = anchor.top() - AnchorGap - popupSize.height();
        y = above >= available.top() ? above : std::max(available.top(), available.bottom() + 1 - popupSize.height());
    }
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - popupSize.width()));
    return QPoint(x, y);
}

void NativeMenu::show(QMenu *menu, const QRect &anchor, QAction *selected, std::function<void()> onDismiss) {
    close();
    if (!menu)
        return;
    emit menu->aboutToShow();
    m_menuStack = {menu};
    m_anchor = anchor;
    m_dismissed = std::move(onDismiss);
    auto *popup = new NativeMenuPopup([this](QWidget *hidden) { onPopupHidden(hidden); });
    m_popup = popup;
    install(buildContent(menu, selected, false));
    popup->show();
    if (m_content)
        m_content->setFocus(Qt::PopupFocusReason);
    emit visibilityChanged(true);
}

NativeMenuContentView *NativeMenu::buildContent(QMenu *menu, QAction *selected, bool hasParent) {
    QPointer<NativeMenu> self(this);
    NativeMenuContentView::Callbacks callbacks;
    callbacks.back = [self] {
        if (self)
            self->back();
    };
    callbacks.choose = [self](QAction *item) {
        if (self)
            self->choose(item);
    };
    callbacks.dismiss = [self] {
        if (self)
            self->close();
    };
    // The popup holds the keyboard while it is open, so the shortcuts its rows
    // show ("Ctrl+Q", "Ctrl+,") would reach no window of the menu's own: they
    // are matched here, in the whole menu whatever level is on screen.
    callbacks.shortcut = [self](QKeyCombination keys) { return self && self->chooseShortcut(keys); };
    return new NativeMenuContentView(menu, selected, hasParent, std::move(callbacks));
}

void NativeMenu::install(NativeMenuContentView *view) {
    auto *popup = static_cast<NativeMenuPopup *>(m_popup.data());
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = view;
    view->setParent(popup);
    view->move(0, 0);
    view->show();
    popup->setPanelSize(view->size());
    reposition();
    if (popup->isVisible())
        view->setFocus(Qt::PopupFocusReason);
}

void NativeMenu::reposition() {
    if (!m_popup)
        return;
    const QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(m_anchor.topLeft(), m_popup->size());
    m_popup->move(popupPosition(m_popup->size(), m_anchor, available));
}

void NativeMenu::choose(QAction *item) {
    if (!item)
        return;
    if (QMenu *submenu = item->menu()) {
        replace(submenu, true);
        return;
    }
    QPointer<QAction> action(item);
    QList<QPointer<QMenu>> path = m_menuStack;
    // A choice is not a dismissal.
    m_dismissed = nullptr;
    close();
    if (!action)
        return;
    action->trigger();
    // A QMenu reports the triggering of its own items; like a cascade of QMenus,
    // the menus the item was reached through report it too.
    if (!path.isEmpty())
        path.removeLast();
    std::reverse(path.begin(), path.end());
    for (const QPointer<QMenu> &menu : std::as_const(path)) {
        if (menu && action && !menu->actions().contains(action))
            emit menu->triggered(action);
    }
}

QAction *NativeMenu::itemForShortcut(const QMenu *menu, QKeyCombination keys) {
    if (!menu)
        return nullptr;
    // The keypad's digits and signs are the same keys as far as a shortcut goes.
    const QKeySequence pressed(QKeyCombination(keys.keyboardModifiers() & ~Qt::KeypadModifier, keys.key()));
    for (QAction *action : menu->actions()) {
        if (!action->isVisible() || !action->isEnabled())
            continue;
        if (QAction *found = itemForShortcut(action->menu(), keys))
            return found;
        if (action->shortcuts().contains(pressed))
            return action;
    }
    return nullptr;
}

bool NativeMenu::chooseShortcut(QKeyCombination keys) {
    QAction *item = m_menuStack.isEmpty() ? nullptr : itemForShortcut(m_menuStack.first(), keys);
    if (!item)
        return false;
    choose(item);
    return true;
}

void NativeMenu::back() {
    if (m_menuStack.size() > 1) {
        m_menuStack.removeLast();
        replace(m_menuStack.last(), false);
    } else {
        close();
    }
}

void NativeMenu::replace(QMenu *menu, bool append) {
    if (!m_popup || !menu)
        return;
    if (append) {
        emit menu->aboutToShow();
        m_menuStack.append(menu);
    }
    install(buildContent(menu, nullptr, m_menuStack.size() > 1));
}

void NativeMenu::close() {
    QPointer<QWidget> popup = m_popup;
    m_popup = nullptr;
    m_menuStack.clear();
    std::function<void()> dismissed = std::move(m_dismissed);
    m_dismissed = nullptr;
    if (m_content)
        m_content->deleteLater();
    m_content = nullptr;
    if (popup) {
        popup->hide();
        popup->deleteLater();
        emit visibilityChanged(false);
    }
    if (dismissed)
        dismissed();
}

void NativeMenu::onPopupHidden(QWidget *popup) {
    // Hidden by Qt (a click outside): that is a dismissal.
    if (popup == m_popup)
        close();
}

bool NativeMenu::isShowing(const QMenu *menu) const {
    return m_popup && !m_menuStack.isEmpty() && m_menuStack.first() == menu;
}

NativeMenuContentView *NativeMenu::contentView() const {
    return m_popup ? m_content.data() : nullptr;
}

QWidget *NativeMenu::popupWindow() const {
    return m_popup;
}

QList<QMenu *> NativeMenu::menuStack() const {
    QList<QMenu *> menus;
    for (const QPointer<QMenu> &menu : m_menuStack) {
        if (menu)
            menus.append(menu);
    }
    return menus;
}

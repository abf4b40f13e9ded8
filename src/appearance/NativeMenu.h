#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class NativeMenuContentView;
class QAction;
#include <QMenu>
class QWidget;

// The popup menu: shows the items of an ordinary QMenu as NativeMenuRows in a
// rounded popup window of its own. A submenu replaces the content in the same
// popup, with a back row on top. One popup exists per process: showing a menu
// closes the one shown before. Used on the GUI thread only.
class NativeMenu final : public QObject {
    Q_OBJECT

public:
    // The process's one instance, created on first use and owned by the application object.
    static NativeMenu &shared();

    // Opens the popup for menu under anchor (global coordinates; above it where
    // the screen has no room below). selected (may be null) is focused and
    // checked; onDismiss runs once when the popup goes away without a choice.
    void show(QMenu *menu, const QRect &anchor, QAction *selected = nullptr, std::function<void()> onDismiss = {});
    // Closes the popup, running the dismissal operation if one is pending.
    void close();
    // True while the popup is open with menu as its root.
    bool isShowing(const QMenu *menu) const;
    // The popup's current content, or null while closed.
    NativeMenuContentView *contentView() const;
    // The popup window, or null while closed.
    QWidget *popupWindow() const;
    // The root menu first, then each submenu entered; empty while closed.
    QList<QMenu *> menuStack() const;

    // The enabled, visible item of menu or of its submenus whose shortcut is
    // keys; null when none is.
    static QAction *itemForShortcut(const QMenu *menu, QKeyCombination keys);

    // Where a popup of this size goes for an anchor: centred under it, above
    // it when there is no room below, kept inside the available area.
    static QPoint popupPosition(QSize popupSize, const QRect &anchor, const QRect &available);

signals:
    // The popup opened or closed.
    void visibilityChanged(bool open);

private:
    explicit NativeMenu(QObject *parent);

    void choose(QAction *item);
    bool chooseShortcut(QKeyCombination keys);
    void back();
    void replace(QMenu *menu, bool append);
    void install(NativeMenuContentView *view);
    void reposition();
    void onPopupHidden(QWidget *popup);
    NativeMenuContentView *buildContent(QMenu *menu, QAction *selected, bool hasParent);

    QPointer<QWidget> m_popup;
    QPointer<NativeMenuContentView> m_content;
    QList<QPointer<QMenu>> m_menuStack;
    std::function<void()> m_dismissed;
    QRect m_anchor;
};

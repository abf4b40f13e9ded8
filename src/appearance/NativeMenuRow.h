#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QPointer>

#include <functional>

class QAction;

// What one row shows, taken from a menu item (or from a style option when a
// restyled QMenu draws its items).
struct NativeMenuRowContent {
    QString title;
    QIcon icon;
    // The shortcut as the platform writes it ("Ctrl+Shift+Z"); empty for none.
    QString shortcut;
    bool checked = false;
    bool enabled = true;
    bool hasSubmenu = false;

    // The item's state; selected draws the check mark whatever the item's state.
    static NativeMenuRowContent fromAction(const QAction *action, bool selected = false);
};

// One menu item drawn as a row of the popup menu: highlight, check mark or
// icon, title, and a shortcut or the chevron of a submenu. The same drawing
// serves the rows of restyled ordinary menus (NativeMenuStyle).
class NativeMenuRow final : public QAbstractButton {
    Q_OBJECT

public:
    // item stays owned by its menu; selected draws the check mark regardless of its state.
    NativeMenuRow(QAction *item, bool selected, QWidget *parent = nullptr);
    ~NativeMenuRow() override;

    // The item this row shows; while that item exists it is sourceItem, else a
    // plain item of the row's own with the row's title and no effect.
    QAction *item() const;
    QAction *sourceItem() const { return m_sourceItem; }
    bool isSelected() const { return m_selected; }

    // Called with the item when the row is activated (clicked, Return, Space).
    void setChoose(std::function<void(QAction *)> choose) { m_choose = std::move(choose); }
    // Called when the pointer enters an enabled row.
    void setHovered(std::function<void()> hovered) { m_hovered = std::move(hovered); }

    bool menuHighlighted() const { return m_menuHighlighted; }
    void setMenuHighlighted(bool highlighted);

    // Calls choose with the item, when the item is enabled.
    void activate();

    QSize sizeHint() const override;

    // The fonts rows use for titles (13 px) and shortcut texts (11 px).
    static QFont titleFont(const QFont &base);
    static QFont shortcutFont(const QFont &base);
    // A title as shown: mnemonic markers removed.
    static QString plainTitle(const QString &title);
    // Draws a row into rect; highlighted is the hover or keyboard highlight.
    static void paint(QPainter &painter, const QRectF &rect, const NativeMenuRowContent &content,
                      const QPalette &palette, const QFont &baseFont, bool highlighted, bool pressed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QPointer<QAction> m_sourceItem;
    mutable QAction *m_fallbackItem = nullptr;
    QString m_title;
    bool m_selected = false;
    bool m_menuHighlighted = false;
    std::function<void(QAction *)> m_choose;
    std::function<void()> m_hovered;
};

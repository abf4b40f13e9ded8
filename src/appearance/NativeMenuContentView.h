#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class NativeMenuRow;
class QAction;
#include <QMenu>

// The content of the popup menu for one menu: its rows (the back row first in
// a submenu), the separators between them, the rounded panel behind them, and
// the keyboard focus that moves among the enabled rows.
class NativeMenuContentView final : public QWidget {
    Q_OBJECT

public:
    struct Callbacks {
        // The back row and Left arrow.
        std::function<void()> back;
        // A row was activated with its item.
        std::function<void(QAction *)> choose;
        // Escape.
        std::function<void()> dismiss;
        // Any other key: true when it was the shortcut of an item, which was chosen.
        std::function<bool(QKeyCombination)> shortcut;
    };

    // selected (may be null) is focused and drawn with the check mark.
    NativeMenuContentView(QMenu *menu, QAction *selected, bool hasParent, Callbacks callbacks,
                          QWidget *parent = nullptr);
    ~NativeMenuContentView() override;

    QMenu *menu() const { return m_menu; }
    // In display order, the back row first when there is one.
    QList<NativeMenuRow *> rows() const { return m_rows; }
    // Index into rows(), -1 when nothing is focused.
    int focused() const { return m_focused; }
    // Ignored for an index outside rows() or a disabled row; otherwise that row,
    // and only that row, gets the highlight.
    void focus(int index);

    QSize sizeHint() const override { return m_size; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QList<bool> enabledRows() const;
    void click(int index);

    QPointer<QMenu> m_menu;
    Callbacks m_callbacks;
    QList<NativeMenuRow *> m_rows;
    QList<QRect> m_separators;
    QSize m_size;
    int m_focused = -1;
};

#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QScreen;

// A full-screen overlay over one screen's frozen image: a cross-hair, the
// rectangle being dragged with its size in pixels, and a veil over the rest.
class SelectionOverlay final : public QWidget {
    Q_OBJECT

public:
    // frozen holds the screen's pixels at device resolution (its devicePixelRatio set).
    SelectionOverlay(QScreen *screen, const QPixmap &frozen);

    QScreen *targetScreen() const { return m_screen; }
    const QPixmap &frozen() const { return m_frozen; }

signals:
    // The user released a drag; the rectangle is in the frozen image's device pixels.
    void selected(const QRect &devicePixels);
    // Esc, a right click, or a click without a drag.
    void cancelled();
    // The overlay was painted for the first time.
    void exposed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QRect selection() const;

    QScreen *m_screen;
    QPixmap m_frozen;
    QPoint m_pointer{-1, -1};
    QPoint m_anchor;
    bool m_dragging = false;
    bool m_exposed = false;
};

#pragma once

#include <QPainter>
#include <QWidget>

// A borderless window that shows one line of text in black on white, centred in
// its top band of bandHeight pixels: known pixels on the screen for capture tests.
class TextWindow final : public QWidget {
public:
    TextWindow(const QString &text, int pixelSize, int bandHeight)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
        , m_text(text)
        , m_pixelSize(pixelSize)
        , m_bandHeight(bandHeight)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(m_pixelSize);
        painter.setFont(font);
        painter.setPen(QColor(30, 30, 30));
        painter.drawText(QRect(0, 0, width(), m_bandHeight), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
    int m_pixelSize;
    int m_bandHeight;
};

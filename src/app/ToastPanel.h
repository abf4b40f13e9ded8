#pragma once

#include "ToastSymbol.h"

#include <QTimer>
#include <QWidget>

#include <optional>

class QLabel;

// The toast's window: a frameless, always-on-top panel that is never focused and
// lets clicks through, drawing a rounded translucent card with a symbol (or a
// spinner) and one or two lines of text.
class ToastPanel final : public QWidget {
    Q_OBJECT

public:
    ToastPanel();

    void setContent(const QString &title, const std::optional<QString> &detail, ToastSymbol symbol,
                    const QColor &color);

    QString title() const;
    QString detail() const;
    ToastSymbol symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyPalette();

    QLabel *m_title;
    QLabel *m_detail;
    ToastSymbol m_symbol = ToastSymbol::Spinner;
    QColor m_color;
    QTimer m_spin;
    int m_spinStep = 0;
};

#pragma once

#include <QProxyStyle>

class QMenu;

// Gives ordinary QMenus (menu-bar menus, context menus) the rows of the popup
// menu: 34-pixel rows drawn by NativeMenuRow, a 260..440-pixel width, the same
// separators. Menu bars keep their own look, and items that are widgets
// (QWidgetAction) keep theirs.
class NativeMenuStyle final : public QProxyStyle {
    Q_OBJECT

public:
    // Restyles every QMenu of the application from now on, and the ones that
    // exist already. Idempotent; needs the QApplication.
    static void install();
    // Restyles one menu; its submenus follow when they are shown.
    static void decorate(QMenu *menu);
    // The style installed menus use (created on first use).
    static NativeMenuStyle *instance();

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    NativeMenuStyle();
};

#include "NativeTrayIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Q_INIT_RESOURCE names a function of the global namespace.
static void initResources() {
    // The resources of a static library are registered only when asked for.
    static const bool registered = [] {
        Q_INIT_RESOURCE(NativeAppearance);
        return true;
    }();
    Q_UNUSED(registered);
}

NativeTrayIcon::Variant NativeTrayIcon::variantFor(const std::optional<QColor> &panelForeground) {
    if (!panelForeground || !panelForeground->isValid())
        return Variant::Badge;
    // The tray's own text colour: light text stands on a dark panel.
    return panelForeground->lightnessF() >= 0.5f ? Variant::ForDarkPanel : Variant::ForLightPanel;
}

QString NativeTrayIcon::resourcePath(Variant variant, int size) {
    QString name;
    switch (variant) {
    case Variant::ForLightPanel:
        name = QStringLiteral("tray-light");
        break;
    case Variant::ForDarkPanel:
        name = QStringLiteral("tray-dark");
        break;
    case Variant::Badge:
        name = QStringLiteral("tray-badge");
        break;
    }
    // Below 24 pixels a drawing of its own on the pixel grid keeps the lines apart.
    return QStringLiteral(":/vellora/icons/") + name +
           (size < 24 ? QStringLiteral("-small.svg") : QStringLiteral(".svg"));
}

QImage NativeTrayIcon::image(Variant variant, int size) {
    initResources();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath(variant, size));
    if (!renderer.isValid())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

QIcon NativeTrayIcon::icon(Variant variant) {
    QIcon icon;
    for (const int size : {16, 20, 22, 24, 32, 40, 44, 48, 64, 96, 128})
        icon.addPixmap(QPixmap::fromImage(image(variant, size)));
    return icon;
}

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

QString NativeTrayIcon::resourcePath(bool darkPanel, int size) {
    // Below 24 pixels a drawing of its own on the pixel grid keeps the lines apart.
    if (size < 24)
        return darkPanel ? QStringLiteral(":/vellora/icons/tray-dark-small.svg")
                         : QStringLiteral(":/vellora/icons/tray-light-small.svg");
    return darkPanel ? QStringLiteral(":/vellora/icons/tray-dark.svg")
                     : QStringLiteral(":/vellora/icons/tray-light.svg");
}

QImage NativeTrayIcon::image(bool darkPanel, int size) {
    initResources();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath(darkPanel, size));
    if (!renderer.isValid())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

QIcon NativeTrayIcon::icon(bool darkPanel) {
    QIcon icon;
    for (const int size : {16, 20, 22, 24, 32, 40, 44, 48, 64, 96, 128})
        icon.addPixmap(QPixmap::fromImage(image(darkPanel, size)));
    return icon;
}

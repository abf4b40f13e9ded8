#include "VelloraIcon.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

QString VelloraIcon::brandIconPath() {
    return QStringLiteral(":/Vellora/BrandIcon.png");
}

QString VelloraIcon::appIconPath() {
    return QStringLiteral(":/Vellora/AppIcon.svg");
}

QList<int> VelloraIcon::brandIconSizes() {
    return {16, 24, 32, 48, 64, 128, 256, 512};
}

QIcon VelloraIcon::image(NativeAccentPalette) {
    return load(brandIconPath(), appIconPath());
}

QIcon VelloraIcon::load(const QString &brandIconPath, const QString &appIconPath) {
    const QPixmap brand(brandIconPath);
    if (!brand.isNull()) {
        QIcon icon;
        const QFileInfo info(brandIconPath);
        const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-');
        for (const int size : brandIconSizes()) {
            const QPixmap sized(stem + QString::number(size) + QStringLiteral(".png"));
            if (!sized.isNull())
                icon.addPixmap(sized);
        }
        icon.addPixmap(brand);
        return icon;
    }
    // A vector icon that cannot be decoded gives an empty pixmap; check it first.
    if (QImageReader(appIconPath).canRead()) {
        const QIcon vector(appIconPath);
        if (!vector.pixmap(QSize(64, 64)).isNull())
            return vector;
    }
    return QGuiApplication::windowIcon();
}

// vellora-render-icon SVG OUTPUT_DIR NAME SIZE…: renders the brand artwork at
// build time, NAME.png at the first size and NAME-<size>.png at every size, so
// the icon has a pixel-fitted image from the tray's 16 to the 512 of a dock.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 5) {
        std::fputs("usage: vellora-render-icon SVG OUTPUT_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vellora-render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    if (!output.mkpath(QStringLiteral(".")))
        return 1;
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int index = 4; index < argc; ++index) {
        const int size = QByteArray(argv[index]).toInt();
        if (size <= 0)
            return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
        painter.end();
        const QString sized = output.filePath(name + QLatin1Char('-') + QString::number(size) + QStringLiteral(".png"));
        if (!image.save(sized))
            return 1;
        if (index == 4 && !image.save(output.filePath(name + QStringLiteral(".png"))))
            return 1;
    }
    return 0;
}

// vellora-ui-snapshots OUTPUT_DIR: renders the application's transient surfaces
// (toasts of every kind, light and dark) into PNG files, for looking at them and
// for the documentation. Not a test: it checks nothing.
#include "ToastPanel.h"
#include "VelloraToast.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>

namespace {

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(40, 40, 42));
    palette.setColor(QPalette::WindowText, QColor(236, 236, 236));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::Text, QColor(236, 236, 236));
    palette.setColor(QPalette::Button, QColor(52, 52, 55));
    palette.setColor(QPalette::ButtonText, QColor(236, 236, 236));
    return palette;
}

// The panel over a desktop-like backdrop, the way a user sees it.
QImage onBackdrop(QWidget &panel, bool dark)
{
    const QPixmap shot = panel.grab();
    QImage canvas(shot.size() / shot.devicePixelRatio() + QSize(48, 48), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    QLinearGradient backdrop(0, 0, canvas.width(), canvas.height());
    backdrop.setColorAt(0, dark ? QColor(30, 40, 60) : QColor(200, 214, 235));
    backdrop.setColorAt(1, dark ? QColor(60, 30, 50) : QColor(235, 215, 200));
    painter.fillRect(canvas.rect(), backdrop);
    painter.drawPixmap(24, 24, shot);
    return canvas;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(output);

    struct Kind {
        const char *name;
        QString title;
        std::optional<QString> detail;
        ToastSymbol symbol;
    };
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        const QList<Kind> kinds{
            {"recognising", QStringLiteral("正在识别文字…"), std::nullopt, ToastSymbol::Spinner},
            {"polishing", QStringLiteral("正在 AI 润色…"), std::nullopt, ToastSymbol::Spinner},
            {"copied", QStringLiteral("识别成功，已复制到剪贴板"), QStringLiteral("128 个字 · 按 Ctrl+V 粘贴"),
             ToastSymbol::CheckmarkCircleFill},
            {"failure", QStringLiteral("AI 润色失败：请求超时，请稍后重试。"), std::nullopt,
             ToastSymbol::ExclamationmarkTriangleFill},
        };
        for (const Kind &kind : kinds) {
            ToastPanel panel;
            panel.setPalette(QApplication::palette());
            const QColor color = kind.symbol == ToastSymbol::CheckmarkCircleFill ? VelloraToast::successColor()
                                 : kind.symbol == ToastSymbol::Spinner            ? VelloraToast::labelColor()
                                                                                  : VelloraToast::warningColor();
            panel.setContent(kind.title, kind.detail, kind.symbol, color);
            const QString file = QStringLiteral("%1/toast-%2-%3.png")
                                     .arg(output, QLatin1String(kind.name),
                                          dark ? QStringLiteral("dark") : QStringLiteral("light"));
            onBackdrop(panel, dark).save(file);
        }
    }
    return 0;
}

// vellora-screencapture: freezes every screen, lets the user drag a rectangle and
// writes the selected pixels at device resolution as PNG.
//
//   vellora-screencapture -i -s -x -t png PATH
//
// Exit status 0 when the file was written; 1 when the user cancelled (Esc, a
// right click or a click without a drag: no file); 1 with "could not create
// image" on standard error when the screen cannot be read; 2 for a bad command line.
#include "DisplayCheck.h"
#include "SelectionOverlay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QCursor>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

struct Options {
    QString path;
    QString type = QStringLiteral("png");
};

// The switches -i (interactive), -s (selection only) and -x (silent) are the
// only way this tool works, so they are accepted and need no action.
std::optional<Options> parseOptions(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("-i") || argument == QLatin1String("-s") || argument == QLatin1String("-x"))
            continue;
        if (argument == QLatin1String("-t")) {
            if (++i >= arguments.size())
                return std::nullopt;
            options.type = arguments.at(i);
            continue;
        }
        if (argument.startsWith(u'-') || i != arguments.size() - 1)
            return std::nullopt;
        options.path = argument;
    }
    if (options.path.isEmpty() || options.type != QLatin1String("png"))
        return std::nullopt;
    return options;
}

void fail(const char *message)
{
    std::fputs(message, stderr);
    std::fputc('\n', stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Without a display there is no screen to read, and Qt would abort on start:
    // the parent would take that for a cancelled selection.
    if (DisplayCheck::problem()) {
        fail("could not create image");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellora-screencapture"));

    const std::optional<Options> options = parseOptions(QApplication::arguments());
    if (!options) {
        fail("usage: vellora-screencapture -i -s -x -t png PATH");
        return 2;
    }

    // Only X11 lets a client read the screen; Wayland needs the portal, and the
    // offscreen platform has no pixels of a real screen.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        fail("could not create image");
        return 1;
    }

    // Freeze every screen before any overlay covers it.
    std::vector<std::unique_ptr<SelectionOverlay>> overlays;
    for (QScreen *screen : QGuiApplication::screens()) {
        QPixmap frozen = screen->grabWindow(0);
        if (frozen.isNull() || frozen.width() < 1 || frozen.height() < 1) {
            fail("could not create image");
            return 1;
        }
        // Keep the pixels at device resolution; the overlay draws them at the screen's logical size.
        frozen.setDevicePixelRatio(qreal(frozen.width()) / screen->geometry().width());
        overlays.push_back(std::make_unique<SelectionOverlay>(screen, frozen));
    }
    if (overlays.empty()) {
        fail("could not create image");
        return 1;
    }

    const bool timing = qEnvironmentVariableIsSet("VELLORA_SCREENCAPTURE_TIMING");
    for (const std::unique_ptr<SelectionOverlay> &overlay : overlays) {
        SelectionOverlay *source = overlay.get();
        source->setWindowTitle(QStringLiteral("vellora-screencapture"));
        QObject::connect(source, &SelectionOverlay::cancelled, &application, [] { QApplication::exit(1); });
        QObject::connect(source, &SelectionOverlay::selected, &application,
                         [source, path = options->path](const QRect &pixels) {
                             for (QWidget *window : QApplication::topLevelWidgets())
                                 window->hide();
                             const QImage region = source->frozen().toImage().copy(pixels);
                             if (region.isNull() || !region.save(path, "PNG")) {
                                 fail("could not write image");
                                 QApplication::exit(1);
                                 return;
                             }
                             QApplication::exit(0);
                         });
        QObject::connect(source, &SelectionOverlay::exposed, &application, [&sinceStart, timing] {
            // How long a user waits for the overlay: reported for the benchmark only.
            static bool reported = false;
            if (timing && !reported) {
                reported = true;
                std::fprintf(stderr, "overlay_exposed_seconds=%.3f\n", double(sinceStart.nsecsElapsed()) / 1e9);
            }
        });
        source->show();
    }
    // The overlay under the pointer takes the keyboard so Esc works at once.
    SelectionOverlay *focused = overlays.front().get();
    for (const std::unique_ptr<SelectionOverlay> &overlay : overlays) {
        if (overlay->geometry().contains(QCursor::pos()))
            focused = overlay.get();
    }
    focused->activateWindow();
    focused->grabKeyboard();
    return QApplication::exec();
}

// vellora-screencapture: freezes every screen, lets the user drag a rectangle and
// writes the selected pixels at device resolution as PNG.
//
//   vellora-screencapture -i -s -x -t png PATH
//
// Exit status 0 when the file was written; 1 when the user cancelled (Esc, a
// right click or a click without a drag: no file); 1 with "could not create
// image" on standard error when the screen cannot be read, or with a text that
// says "permission" when the desktop portal refused the screenshot; 2 for a bad
// command line. On Wayland the frozen picture comes from the desktop portal.
#include "DisplayCheck.h"
#include "PortalScreenshot.h"
#include "PortalStartup.h"
#include "ScreenshotLayout.h"
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

// One screen's frozen pixels, at device resolution (devicePixelRatio set).
struct Frame {
    QScreen *screen;
    QPixmap pixels;
};

// On Wayland no client may read the screen itself: the desktop portal takes
// the screenshot. X11 lets the selector read it directly.
bool usesDesktopPortal()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Reads every screen from the X server, before any overlay covers it.
std::optional<std::vector<Frame>> grabScreens()
{
    std::vector<Frame> frames;
    for (QScreen *screen : QGuiApplication::screens()) {
        QPixmap frozen = screen->grabWindow(0);
        if (frozen.isNull() || frozen.width() < 1 || frozen.height() < 1)
            return std::nullopt;
        // Keep the pixels at device resolution; the overlay draws them at the screen's logical size.
        frozen.setDevicePixelRatio(qreal(frozen.width()) / screen->geometry().width());
        frames.push_back({screen, frozen});
    }
    if (frames.empty())
        return std::nullopt;
    return frames;
}

// Cuts the portal's picture of the whole desktop into the screens' parts.
std::optional<std::vector<Frame>> splitDesktop(const QImage &desktop)
{
    QRect desktopGeometry;
    for (const QScreen *screen : QGuiApplication::screens())
        desktopGeometry |= screen->geometry();
    std::vector<Frame> frames;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QImage part =
            ScreenshotLayout::screenPart(desktop, desktopGeometry, screen->geometry(), screen->devicePixelRatio());
        if (part.isNull())
            return std::nullopt;
        frames.push_back({screen, QPixmap::fromImage(part)});
    }
    if (frames.empty())
        return std::nullopt;
    return frames;
}

// Shows one overlay per frame and ends the event loop with the outcome: 0 when
// the selection was written to path, 1 when it was cancelled or not written.
class Overlays final {
public:
    Overlays(QString path, const QElapsedTimer &sinceStart)
        : m_path(std::move(path))
        , m_sinceStart(sinceStart)
        , m_timing(qEnvironmentVariableIsSet("VELLORA_SCREENCAPTURE_TIMING"))
    {
    }

    void show(const std::vector<Frame> &frames)
    {
        for (const Frame &frame : frames)
            m_overlays.push_back(std::make_unique<SelectionOverlay>(frame.screen, frame.pixels));
        const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        for (const std::unique_ptr<SelectionOverlay> &overlay : m_overlays) {
            SelectionOverlay *source = overlay.get();
            source->setWindowTitle(QStringLiteral("vellora-screencapture"));
            QObject::connect(source, &SelectionOverlay::cancelled, qApp, [] { QApplication::exit(1); });
            QObject::connect(source, &SelectionOverlay::selected, qApp,
                             [this, source](const QRect &pixels) { write(*source, pixels); });
            QObject::connect(source, &SelectionOverlay::exposed, qApp, [this] { reportExposed(); });
            // A Wayland client cannot place its windows: full screen on its
            // output is the one way to cover it.
            if (wayland)
                source->showFullScreen();
            else
                source->show();
        }
        // The overlay under the pointer takes the keyboard so Esc works at once.
        SelectionOverlay *focused = m_overlays.front().get();
        for (const std::unique_ptr<SelectionOverlay> &overlay : m_overlays) {
            if (overlay->geometry().contains(QCursor::pos()))
                focused = overlay.get();
        }
        focused->activateWindow();
        focused->grabKeyboard();
    }

private:
    void write(const SelectionOverlay &source, const QRect &pixels)
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->hide();
        const QImage region = source.frozen().toImage().copy(pixels);
        if (region.isNull() || !region.save(m_path, "PNG")) {
            fail("could not write image");
            QApplication::exit(1);
            return;
        }
        QApplication::exit(0);
    }

    void reportExposed()
    {
        // How long a user waits for the overlay: reported for the benchmark only.
        if (m_timing && !m_reported) {
            m_reported = true;
            std::fprintf(stderr, "overlay_exposed_seconds=%.3f\n", double(m_sinceStart.nsecsElapsed()) / 1e9);
        }
    }

    QString m_path;
    const QElapsedTimer &m_sinceStart;
    bool m_timing;
    bool m_reported = false;
    std::vector<std::unique_ptr<SelectionOverlay>> m_overlays;
};

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

    Overlays overlays(options->path, sinceStart);
    if (usesDesktopPortal()) {
        PortalScreenshot screenshot;
        QObject::connect(&screenshot, &PortalScreenshot::failed, &application, [](const QString &reason) {
            fail(reason.toLocal8Bit().constData());
            QApplication::exit(1);
        });
        QObject::connect(&screenshot, &PortalScreenshot::captured, &application, [&overlays](const QImage &desktop) {
            const std::optional<std::vector<Frame>> frames = splitDesktop(desktop);
            if (!frames) {
                fail("could not create image");
                QApplication::exit(1);
                return;
            }
            overlays.show(*frames);
        });
        // The first screenshot of a session starts the portal; the pings keep its
        // start from stalling while the request waits for it.
        PortalStartup startup;
        startup.start();
        screenshot.request();
        return QApplication::exec();
    }

    // The offscreen platform has no pixels of a real screen.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        fail("could not create image");
        return 1;
    }
    const std::optional<std::vector<Frame>> frames = grabScreens();
    if (!frames) {
        fail("could not create image");
        return 1;
    }
    overlays.show(*frames);
    return QApplication::exec();
}

// vellora-test-window: a window with known pixels for capture tests on any
// display. Under a tiling compositor it fills its output.
//
//   vellora-test-window --text TEXT PIXELSIZE BANDHEIGHT   one line of text, as TextWindow draws it
//   vellora-test-window --split                            the left half red, the right half blue
#include "TextWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <cstdio>

namespace {

class SplitWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int half = width() / 2;
        painter.fillRect(QRect(0, 0, half, height()), QColor(255, 0, 0));
        painter.fillRect(QRect(half, 0, width() - half, height()), QColor(0, 0, 255));
    }
};

// Says "painted" on standard output once the window has drawn itself and the
// compositor has had a moment to show it, so a test knows the pixels are there.
class PaintReporter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            QTimer::singleShot(200, this, [] {
                std::puts("painted");
                std::fflush(stdout);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("vellora-test-window"));
    const QStringList arguments = QApplication::arguments();
    std::unique_ptr<QWidget> window;
    if (arguments.size() == 5 && arguments.at(1) == QLatin1String("--text"))
        window = std::make_unique<TextWindow>(arguments.at(2), arguments.at(3).toInt(), arguments.at(4).toInt());
    else if (arguments.size() == 2 && arguments.at(1) == QLatin1String("--split"))
        window = std::make_unique<SplitWindow>();
    else
        return 2;
    window->setWindowTitle(QStringLiteral("vellora-test-window"));
    PaintReporter reporter;
    window->installEventFilter(&reporter);
    window->resize(640, 360);
    window->show();
    return QApplication::exec();
}

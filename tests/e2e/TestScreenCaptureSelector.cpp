// The real vellora-screencapture on the test session's X server, driven by xdotool.
#include "TestSupport.h"
#include "XSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

QString selectorExecutable() {
    return QDir(TestSupport::binaryDir()).filePath(QStringLiteral("bin/vellora-screencapture"));
}

// A window of four coloured quadrants with a checker stripe, so a crop that is
// off by one pixel shows.
class Pattern final : public QWidget {
public:
    Pattern()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        const int w = width() / 2;
        const int h = height() / 2;
        painter.fillRect(0, 0, w, h, QColor(220, 30, 30));
        painter.fillRect(w, 0, w, h, QColor(30, 200, 30));
        painter.fillRect(0, h, w, h, QColor(30, 30, 220));
        painter.fillRect(w, h, w, h, QColor(240, 220, 20));
        for (int x = 0; x < width(); x += 2)
            painter.fillRect(x, h - 1, 1, 2, Qt::black);
    }
};

} // namespace

class TestScreenCaptureSelector final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Pattern m_pattern;

    void start(QProcess &process, const QString &output) {
        process.start(selectorExecutable(), {QStringLiteral("-i"), QStringLiteral("-s"), QStringLiteral("-x"),
                                             QStringLiteral("-t"), QStringLiteral("png"), output});
        QVERIFY(process.waitForStarted());
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QTest::qWait(150);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_pattern.setGeometry(200, 150, 400, 300);
        m_pattern.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_pattern));
        QTest::qWait(200);
    }

    void dragWritesTheSelectedPixels() {
        const QString output = m_dir.filePath(QStringLiteral("region.png"));
        const QImage before = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        QProcess process;
        start(process, output);
        QVERIFY(XSupport::xdotool(
            {"mousemove", "300", "250", "mousedown", "1", "mousemove", "400", "300", "mousemove", "500", "350"}));
        QTest::qWait(100);
        QVERIFY(XSupport::xdotool({"mouseup", "1"}));
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);

        const QImage region(output);
        QCOMPARE(region.size(), QSize(200, 100));
        const QImage expected = before.copy(300, 250, 200, 100).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(region.convertToFormat(QImage::Format_RGB32), expected);
        // The crop straddles all four quadrants and the stripe.
        QCOMPARE(region.pixelColor(5, 5), QColor(220, 30, 30));
        QCOMPARE(region.pixelColor(195, 95), QColor(240, 220, 20));
    }

    void cancellingWritesNothing_data() {
        QTest::addColumn<QStringList>("gesture");
        QTest::newRow("Esc") << QStringList{"key", "Escape"};
        QTest::newRow("a click without a drag") << QStringList{"mousemove", "700", "600", "click", "1"};
        QTest::newRow("a right click") << QStringList{"mousemove", "700", "600", "click", "3"};
    }

    void cancellingWritesNothing() {
        QFETCH(QStringList, gesture);
        const QString output = m_dir.filePath(QStringLiteral("cancelled.png"));
        QProcess process;
        start(process, output);
        QVERIFY(XSupport::xdotool(gesture));
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(!QFileInfo::exists(output));
    }

    void badCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no path") << QStringList{"-i", "-s", "-x", "-t", "png"};
        QTest::newRow("another format") << QStringList{"-i", "-s", "-x", "-t", "jpg", "out.jpg"};
        QTest::newRow("unknown switch") << QStringList{"-i", "-w", "out.png"};
    }

    void badCommandLines() {
        QFETCH(QStringList, arguments);
        const TestSupport::ProcessResult result = TestSupport::run(selectorExecutable(), arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.standardError.startsWith("usage: "));
    }

    // Without a readable screen the selector says so in the words the capture
    // looks for, and ends with status 1 rather than Qt's abort.
    void unreadableScreenSaysCouldNotCreateImage_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display"); // "session": the test's own; empty: none
        // No server listens on this display's socket.
        const QString unanswered = QStringLiteral(":987");
        QTest::newRow("no display at all") << QString() << QString();
        QTest::newRow("the offscreen platform") << "offscreen" << "session";
        QTest::newRow("a display no server answers") << QString() << unanswered;
        QTest::newRow("xcb named, no server answers") << "xcb" << unanswered;
    }

    void unreadableScreenSaysCouldNotCreateImage() {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!platform.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (display.isEmpty())
            environment.remove(QStringLiteral("DISPLAY"));
        else if (display != QLatin1String("session"))
            environment.insert(QStringLiteral("DISPLAY"), display);
        const QString output = m_dir.filePath(QStringLiteral("unreadable.png"));
        const TestSupport::ProcessResult result =
            TestSupport::run(selectorExecutable(), {"-i", "-s", "-x", "-t", "png", output}, {}, environment, 20000);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.standardError.contains("could not create image"), result.standardError.constData());
        QVERIFY(!QFileInfo::exists(output));
    }
};

QTEST_MAIN(TestScreenCaptureSelector)
#include "TestScreenCaptureSelector.moc"

// ScreenRegionCapture's process contract, driven by small selector scripts that
// behave the way vellora-screencapture does (the real selector is driven end to
// end in tests/e2e), and its decoding rules on real image files.
#include "ScreenRegionCapture.h"

#include "TestSupport.h"

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList captureFolders()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("vellora-capture-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class TestScreenRegionCapture final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tinyPng;

    // A selector that copies SOURCE (if any) to its last argument, writes
    // STDERR to standard error and exits with STATUS, after DELAY seconds.
    QString selector(const QString &name, int status, const QString &errorText, const QString &source = {},
                     double delay = 0)
    {
        const QString path = m_dir.filePath(name);
        QFile script(path);
        if (!script.open(QIODevice::WriteOnly))
            return {};
        QString body = QStringLiteral("#!/bin/sh\n");
        body += QStringLiteral("for last; do :; done\n");
        body += QStringLiteral("sleep %1\n").arg(delay);
        if (!source.isEmpty())
            body += QStringLiteral("cp '%1' \"$last\"\n").arg(source);
        if (!errorText.isEmpty())
            body += QStringLiteral("printf '%s\\n' '%1' >&2\n").arg(errorText);
        body += QStringLiteral("exit %1\n").arg(status);
        script.write(body.toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }

    static ScreenRegionCapture::Outcome await(QFuture<ScreenRegionCapture::Outcome> future)
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 60000); }();
        return future.result();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A temporary folder of our own, so leftovers of other programs don't count.
        const QString temporary = m_dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temporary));
        qputenv("TMPDIR", temporary.toLocal8Bit());
        QCOMPARE(QDir::tempPath(), temporary);
        m_tinyPng = m_dir.filePath(QStringLiteral("tiny.png"));
        QImage tiny(4, 3, QImage::Format_RGB32);
        tiny.fill(QColor(10, 200, 30));
        QVERIFY(tiny.save(m_tinyPng));
    }

    void outcomes_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("errorText");
        QTest::addColumn<bool>("writesFile");
        QTest::addColumn<QString>("expected"); // "image", "nothing" or "error <code>"
        QTest::newRow("selection written") << 0 << QString() << true << "image";
        QTest::newRow("Esc: no file") << 1 << QString() << false << "nothing";
        QTest::newRow("status 0 without a file") << 0 << QString() << false << "nothing";
        QTest::newRow("could not create image") << 1 << "could not create image" << false << "error 1";
        QTest::newRow("Permission with a capital P") << 1 << "Permission denied by the portal" << false << "error 1";
        QTest::newRow("other failure text") << 1 << "something else went wrong" << false << "nothing";
        QTest::newRow("the words are case-sensitive") << 1 << "Could Not Create Image" << false << "nothing";
    }

    void outcomes()
    {
        QFETCH(int, status);
        QFETCH(QString, errorText);
        QFETCH(bool, writesFile);
        QFETCH(QString, expected);
        ScreenRegionCapture capture(
            selector(QStringLiteral("selector-%1").arg(QTest::currentDataTag()).replace(u' ', u'-').replace(u':', u'-'),
                     status, errorText, writesFile ? m_tinyPng : QString()));
        const ScreenRegionCapture::Outcome outcome = await(capture.capture());
        QVERIFY(!capture.isRunning());
        if (expected == QLatin1String("image")) {
            QVERIFY(outcome.ok());
            QVERIFY(outcome.value().has_value());
            const QImage &image = *outcome.value();
            QCOMPARE(image.size(), QSize(4, 3));
            QCOMPARE(image.format(), QImage::Format_RGBA8888_Premultiplied);
            QCOMPARE(image.pixelColor(2, 1), QColor(10, 200, 30));
        } else if (expected == QLatin1String("nothing")) {
            QVERIFY(outcome.ok());
            QVERIFY(!outcome.value().has_value());
        } else {
            QVERIFY(!outcome.ok());
            QCOMPARE(outcome.error().domain, QStringLiteral("Vellora.Capture"));
            QCOMPARE(QStringLiteral("error %1").arg(outcome.error().code), expected);
            QCOMPARE(outcome.error(), ScreenRegionCapture::permissionError());
        }
        // The private folder is gone whichever way the capture ended.
        QCOMPARE(captureFolders(), QStringList());
    }

    // The real selector, where no screen can be read: the permission error,
    // never a cancelled selection.
    void unreadableScreenIsThePermissionError_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("no display") << QByteArray();
        // No server listens on this display's socket.
        QTest::newRow("a display no server answers") << QByteArray(":987");
    }

    void unreadableScreenIsThePermissionError()
    {
        QFETCH(QByteArray, display);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")));
        TestSupport::EnvironmentChange environment;
        environment.unset("QT_QPA_PLATFORM");
        if (display.isEmpty())
            environment.unset("DISPLAY");
        else
            environment.set("DISPLAY", display);
        ScreenRegionCapture capture(QDir(TestSupport::binaryDir()).filePath(QStringLiteral("bin/vellora-screencapture")));
        const ScreenRegionCapture::Outcome outcome = await(capture.capture());
        QVERIFY2(!outcome.ok(), "the capture gave an image or nothing");
        QCOMPARE(outcome.error(), ScreenRegionCapture::permissionError());
        QCOMPARE(captureFolders(), QStringList());
    }

    void folderIsPrivateWhileTheSelectorRuns()
    {
        const QString probe = m_dir.filePath(QStringLiteral("folder-mode"));
        const QString path = m_dir.filePath(QStringLiteral("selector-mode"));
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nfor last; do :; done\nstat -c '%a %n' \"$(dirname \"$last\")\" > '%1'\n"
                                    "echo \"$*\" >> '%1'\nexit 1\n")
                         .arg(probe)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ScreenRegionCapture capture(path);
        QVERIFY(await(capture.capture()).ok());
        QFile seen(probe);
        QVERIFY(seen.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(seen.readAll()).split(u'\n');
        QVERIFY2(lines.at(0).startsWith(QStringLiteral("700 ")), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(0).contains(QStringLiteral("/vellora-capture-")), qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("-i -s -x -t png ")));
        QVERIFY(lines.at(1).endsWith(QStringLiteral("/region.png")));
        QCOMPARE(captureFolders(), QStringList());
    }

    void secondCaptureWhileOneRunsIsRefused()
    {
        ScreenRegionCapture capture(selector(QStringLiteral("slow"), 0, {}, m_tinyPng, 1.0));
        QFuture<ScreenRegionCapture::Outcome> first = capture.capture();
        QVERIFY(capture.isRunning());
        const ScreenRegionCapture::Outcome second = await(capture.capture());
        QVERIFY(!second.ok());
        QCOMPARE(second.error().code, 2);
        QCOMPARE(second.error().description, QStringLiteral("截图选区正在进行，请先完成或按 Esc 取消。"));
        // The first one carries on undisturbed.
        QVERIFY(!first.isFinished());
        const ScreenRegionCapture::Outcome outcome = await(first);
        QVERIFY(outcome.ok() && outcome.value().has_value());
        QVERIFY(!capture.isRunning());
    }

    void missingSelectorFailsAndCleansUp()
    {
        ScreenRegionCapture capture(m_dir.filePath(QStringLiteral("no-such-selector")));
        const ScreenRegionCapture::Outcome outcome = await(capture.capture());
        QVERIFY(!outcome.ok());
        QVERIFY(!outcome.error().description.isEmpty());
        QVERIFY(!capture.isRunning());
        QCOMPARE(captureFolders(), QStringList());
    }

    void sizeLimit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("accepted");
        // One bit a pixel keeps the files small; the limit counts pixels, not bytes.
        QTest::newRow("exactly 40,000,000 pixels") << QSize(8000, 5000) << QImage::Format_Mono << true;
        QTest::newRow("one row more") << QSize(8000, 5001) << QImage::Format_Mono << false;
        QTest::newRow("one pixel") << QSize(1, 1) << QImage::Format_Mono << true;
        QTest::newRow("exactly 40,000,000 pixels, 16-bit RGBA") << QSize(8000, 5000) << QImage::Format_RGBA64 << true;
    }

    void sizeLimit()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QFETCH(bool, accepted);
        QImage image(size, format);
        if (format == QImage::Format_Mono)
            image.fill(1);
        else
            image.fill(Qt::white);
        const QString path = m_dir.filePath(QStringLiteral("size.png"));
        QVERIFY(image.save(path));
        const Result<QImage> decoded = ScreenRegionCapture::decodeCapture(path);
        QCOMPARE(decoded.ok(), accepted);
        if (accepted) {
            QCOMPARE(decoded.value().size(), size);
        } else {
            QCOMPARE(decoded.error().code, 2);
            QCOMPARE(decoded.error().description,
                     QStringLiteral("截图无法读取或超过 4000 万像素，请选择更小的区域。"));
        }
    }

    void unreadableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not an image") << QByteArray("plain text, not pixels");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("truncated PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }

    void unreadableFilesAreRefused()
    {
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(QStringLiteral("broken.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        const Result<QImage> decoded = ScreenRegionCapture::decodeCapture(path);
        QVERIFY(!decoded.ok());
        QCOMPARE(decoded.error().domain, QStringLiteral("Vellora.Capture"));
        QCOMPARE(decoded.error().code, 2);
    }

    void decodingConvertsToSrgb()
    {
        QImage wide(2, 2, QImage::Format_RGB32);
        wide.fill(QColor(255, 0, 0));
        wide.setColorSpace(QColorSpace::DisplayP3);
        const QString path = m_dir.filePath(QStringLiteral("p3.png"));
        QVERIFY(wide.save(path));
        const Result<QImage> decoded = ScreenRegionCapture::decodeCapture(path);
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.value().colorSpace(), QColorSpace(QColorSpace::SRgb));
        // Display P3 red lies outside sRGB: clipped to full red.
        QVERIFY(decoded.value().pixelColor(0, 0).red() >= 250);
    }

    // Whether a desktop asks the user before an application reads the screen, and
    // which panel of its settings answers that; a desktop without one offers none.
    void permissionSetups_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<bool>("required");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        const QStringList gnomeSettings{QStringLiteral("gnome-control-center")};
        const QStringList privacy{QStringLiteral("privacy")};
        const QStringList plasmaSettings{QStringLiteral("systemsettings"), QStringLiteral("kcm_app-permissions.desktop")};
        const QStringList permissions{QStringLiteral("kcm_app-permissions")};
        QTest::newRow("X11") << QStringList{"DISPLAY=:0", "XDG_CURRENT_DESKTOP=GNOME"} << gnomeSettings << false << ""
                             << QStringList();
        QTest::newRow("Wayland with XWayland") << QStringList{"DISPLAY=:1", "WAYLAND_DISPLAY=wayland-0"}
                                               << gnomeSettings << false << "" << QStringList();
        QTest::newRow("GNOME on Wayland") << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=GNOME"}
                                          << gnomeSettings << true << "/usr/bin/gnome-control-center" << privacy;
        QTest::newRow("Ubuntu's GNOME") << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=ubuntu:GNOME"}
                                        << gnomeSettings << true << "/usr/bin/gnome-control-center" << privacy;
        QTest::newRow("GNOME without its settings installed")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=GNOME"} << QStringList{} << true << ""
            << QStringList();
        QTest::newRow("another desktop with GNOME's settings installed")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=sway"} << gnomeSettings << true << ""
            << QStringList();
        QTest::newRow("Plasma with its permissions page")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=KDE"} << plasmaSettings << true
            << "/usr/bin/systemsettings" << permissions;
        QTest::newRow("Plasma before its permissions page")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=KDE"}
            << QStringList{QStringLiteral("systemsettings")} << true << "" << QStringList();
        QTest::newRow("Plasma's page without its settings program")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=KDE"}
            << QStringList{QStringLiteral("kcm_app-permissions.desktop")} << true << "" << QStringList();
        QTest::newRow("an empty DISPLAY") << QStringList{"DISPLAY=", "XDG_CURRENT_DESKTOP=sway"} << gnomeSettings
                                          << true << "" << QStringList();
    }

    void permissionSetups()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, installed);
        QFETCH(bool, required);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QProcessEnvironment variables;
        for (const QString &variable : environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const auto find = [&installed](const QString &name) {
            return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        const ScreenRegionCapture::PermissionSetup setup = ScreenRegionCapture::permissionSetup(variables, find, find);
        QCOMPARE(setup.required, required);
        QCOMPARE(setup.settingsProgram, program);
        QCOMPARE(setup.hasSettings(), !program.isEmpty());
        QCOMPARE(setup.settingsArguments, arguments);
    }
};

QTEST_GUILESS_MAIN(TestScreenRegionCapture)
#include "TestScreenRegionCapture.moc"

// The recognition modes of the real `vellora` binary on real rendered images.
#include "TestSupport.h"
#include "XSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using TestSupport::ProcessResult;

namespace {

QImage renderText(const QStringList &lines, const QColor &background, const QColor &foreground) {
    QImage image(720, 60 + 56 * lines.size(), QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(30);
    painter.setFont(font);
    painter.setPen(foreground);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(24, 60 + 56 * int(i), lines.at(i));
    return image;
}

// The children get the session's display, never an inherited offscreen platform.
// Marks the processes this test starts, so that clipboard owners left by other
// runs on the same machine are never mistaken for ours.
QString ownerMark() {
    return QStringLiteral("VELLORA_TEST_OWNER=%1").arg(QCoreApplication::applicationPid());
}

QProcessEnvironment childEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(ownerMark().section(u'=', 0, 0), ownerMark().section(u'=', 1));
    return environment;
}

} // namespace

class TestRecognitionModes final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_textImage;
    QString m_blankImage;
    QString m_notAnImage;

    ProcessResult vellora(const QStringList &arguments, const QProcessEnvironment &environment = childEnvironment()) {
        return TestSupport::runVellora(arguments, {}, environment, 180000);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_textImage = m_dir.filePath(QStringLiteral("text.png"));
        m_blankImage = m_dir.filePath(QStringLiteral("blank.png"));
        m_notAnImage = m_dir.filePath(QStringLiteral("notes.png"));
        QVERIFY(renderText({QStringLiteral("截图识字 Vellora"), QStringLiteral("Hello 2026")}, Qt::white, Qt::black)
                    .save(m_textImage));
        QImage blank(400, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(blank.save(m_blankImage));
        QFile notes(m_notAnImage);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("this is plain text with an image's name\n");
        // Files cut off after their headers, as an interrupted download leaves them.
        for (const char *format : {"tiff", "png"}) {
            QBuffer whole;
            QVERIFY(whole.open(QIODevice::WriteOnly));
            QVERIFY(blank.save(&whole, format));
            QFile cut(m_dir.filePath(QStringLiteral("cut.") + QLatin1String(format)));
            QVERIFY(cut.open(QIODevice::WriteOnly));
            cut.write(whole.data().left(whole.data().size() / 3));
        }
        // A name that is not UTF-8: the command line carries it as bytes.
        QFile::copy(m_textImage, m_dir.filePath(QStringLiteral("copy.png")));
        const QByteArray notUtf8 = QFile::encodeName(m_dir.path()) + "/text\xff.png";
        QVERIFY(::rename(QFile::encodeName(m_dir.filePath(QStringLiteral("copy.png"))).constData(),
                         notUtf8.constData()) == 0);
    }

    void benchmarkPrintsTimeAndCount() {
        const ProcessResult result = vellora({QStringLiteral("--benchmark-ocr-file"), m_textImage});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 0);
        const QString line = QString::fromUtf8(result.standardOutput).trimmed();
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^ocr_seconds=\\d+\\.\\d{3} output_characters=(\\d+)$")).match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        // "截图识字 Vellora\nHello 2026" is 25 characters; allow a misread or two.
        QVERIFY2(qAbs(match.captured(1).toInt() - 25) <= 3, qPrintable(line));
        QVERIFY(result.standardError.isEmpty());
    }

    void benchmarkOfBlankImageCountsZero() {
        const ProcessResult result = vellora({QStringLiteral("--benchmark-ocr-file"), m_blankImage});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(QString::fromUtf8(result.standardOutput).trimmed().endsWith(QStringLiteral(" output_characters=0")));
    }

    // A file name that is not UTF-8 reaches the file as the same bytes. QProcess
    // writes arguments as UTF-8, so the shell hands the name over.
    void fileNamesAreTheCommandLinesBytes_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("OCR benchmark") << QStringLiteral("--benchmark-ocr-file")
                                       << QStringLiteral("^ocr_seconds=\\d+\\.\\d{3} output_characters=\\d+\\n$");
        QTest::newRow("file recognition") << QStringLiteral("--ocr-file") << QStringLiteral("Vellora");
    }

    void fileNamesAreTheCommandLinesBytes() {
        QFETCH(QString, flag);
        QFETCH(QString, pattern);
        const ProcessResult result = TestSupport::run(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("cd \"$2\" && exec \"$0\" \"$1\" \"$(printf 'text\\377.png')\""),
             TestSupport::velloraExecutable(), flag, m_dir.path()},
            {}, childEnvironment(), 180000);
        QCOMPARE(QString::fromUtf8(result.standardError), QString());
        QCOMPARE(result.exitCode, 0);
        const QString output = QString::fromUtf8(result.standardOutput);
        QVERIFY2(QRegularExpression(pattern).match(output).hasMatch(), qPrintable(output));
    }

    // Scripts read the figures: a locale with a decimal comma must not change them.
    void figuresUseAPointInADecimalCommaLocale_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("OCR benchmark") << QStringList{QStringLiteral("--benchmark-ocr-file"), m_blankImage}
                                       << QStringLiteral("^ocr_seconds=\\d+\\.\\d{3} output_characters=0\\n$");
        QTest::newRow("warm-up") << QStringList{QStringLiteral("--benchmark-ocr-warmup")}
                                 << QStringLiteral("^warmup_seconds=\\d+\\.\\d{3} recognized=true\\n$");
    }

    void figuresUseAPointInADecimalCommaLocale() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, pattern);
        const std::optional<QProcessEnvironment> comma = TestSupport::decimalCommaEnvironment(childEnvironment());
        QVERIFY(comma.has_value());
        const ProcessResult result = vellora(arguments, *comma);
        QCOMPARE(result.exitCode, 0);
        const QString line = QString::fromUtf8(result.standardOutput);
        QVERIFY2(QRegularExpression(pattern).match(line).hasMatch(), qPrintable(line));
    }

    void failuresAreOneLineAndStatusOne_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("benchmark, missing file") << "--benchmark-ocr-file"
                                                 << "missing.png"
                                                 << "OCR benchmark failed: ";
        QTest::newRow("benchmark, not an image") << "--benchmark-ocr-file"
                                                 << "notes.png"
                                                 << "OCR benchmark failed: ";
        QTest::newRow("ocr-file, missing file") << "--ocr-file"
                                                << "missing.png"
                                                << "识别失败：";
        QTest::newRow("ocr-file, not an image") << "--ocr-file"
                                                << "notes.png"
                                                << "识别失败：";
        // libtiff and libpng would add lines of their own.
        QTest::newRow("benchmark, truncated TIFF") << "--benchmark-ocr-file"
                                                   << "cut.tiff"
                                                   << "OCR benchmark failed: ";
        QTest::newRow("ocr-file, truncated TIFF") << "--ocr-file"
                                                  << "cut.tiff"
                                                  << "识别失败：";
        QTest::newRow("ocr-file, truncated PNG") << "--ocr-file"
                                                 << "cut.png"
                                                 << "识别失败：";
    }

    void failuresAreOneLineAndStatusOne() {
        QFETCH(QString, flag);
        QFETCH(QString, file);
        QFETCH(QString, prefix);
        // Without a runtime folder Qt would add a notice of its own; the mode keeps to one line.
        QProcessEnvironment environment = childEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        const ProcessResult result = vellora({flag, m_dir.filePath(file)}, environment);
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.standardOutput.isEmpty());
        const QString error = QString::fromUtf8(result.standardError);
        QVERIFY2(error.startsWith(prefix), qPrintable(error));
        QVERIFY2(error.size() > prefix.size() + 1, qPrintable(error));
        QCOMPARE(error.count(u'\n'), 1);
        QVERIFY(error.endsWith(u'\n'));
    }

    void ocrFileOfBlankImageSaysNoText() {
        const ProcessResult result = vellora({QStringLiteral("--ocr-file"), m_blankImage});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(QString::fromUtf8(result.standardError), QStringLiteral("未识别到文字\n"));
        QVERIFY(result.standardOutput.isEmpty());
    }

    void ocrFileCopiesTextThatOutlivesTheProcess() {
        const ProcessResult result = vellora({QStringLiteral("--ocr-file"), m_textImage});
        QCOMPARE(result.exitCode, 0);
        const QString printed = QString::fromUtf8(result.standardOutput);
        QVERIFY2(printed.contains(QStringLiteral("Vellora")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("识字")), qPrintable(printed));
        QVERIFY(printed.endsWith(u'\n'));
        // The process has exited; the text must still be pasteable.
        QTRY_COMPARE_WITH_TIMEOUT(XSupport::clipboardText(), printed.chopped(1), 10000);

        QVERIFY(!TestSupport::processesWithEnvironment(QStringLiteral("vellora-clipboard-owner"), ownerMark()).isEmpty());
        // Another program taking the clipboard ends the detached owner.
        QProcess other;
        other.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")});
        QVERIFY(other.waitForStarted());
        other.write("taken over");
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished());
        QTRY_COMPARE_WITH_TIMEOUT(XSupport::clipboardText(), QStringLiteral("taken over"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            TestSupport::processesWithEnvironment(QStringLiteral("vellora-clipboard-owner"), ownerMark()).isEmpty(),
            10000);
    }

    void ocrFileWithoutDisplayFailsToCopy() {
        QProcessEnvironment environment = childEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const ProcessResult result = vellora({QStringLiteral("--ocr-file"), m_textImage}, environment);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(QString::fromUtf8(result.standardError), QStringLiteral("复制到剪贴板失败\n"));
        QVERIFY(result.standardOutput.isEmpty());
    }

    void warmupRecognisesItsSample() {
        const ProcessResult result = vellora({QStringLiteral("--benchmark-ocr-warmup")});
        QCOMPARE(result.exitCode, 0);
        const QString line = QString::fromUtf8(result.standardOutput).trimmed();
        QVERIFY2(
            QRegularExpression(QStringLiteral("^warmup_seconds=\\d+\\.\\d{3} recognized=true$")).match(line).hasMatch(),
            qPrintable(line));
    }

    // Wrong argument counts are not errors: they start the tray application,
    // which keeps running until it is told to quit.
    void wrongCountsStartTheApplication_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList{};
        QTest::newRow("warm-up with an extra argument") << QStringList{"--benchmark-ocr-warmup", "x"};
        QTest::newRow("benchmark without a path") << QStringList{"--benchmark-ocr-file"};
        QTest::newRow("ocr-file without a path") << QStringList{"--ocr-file"};
        QTest::newRow("ocr-file with two paths") << QStringList{"--ocr-file", "a.png", "b.png"};
        QTest::newRow("unknown flag") << QStringList{"--ocr-files", "a.png"};
        QTest::newRow("flag in another case") << QStringList{"--OCR-FILE", "a.png"};
    }

    void wrongCountsStartTheApplication() {
        QFETCH(QStringList, arguments);
        QProcess process;
        process.setProcessEnvironment(childEnvironment());
        process.start(TestSupport::velloraExecutable(), arguments);
        QVERIFY(process.waitForStarted());
        QVERIFY2(!process.waitForFinished(3000), process.readAllStandardError().constData());
        QVERIFY(process.readAllStandardOutput().isEmpty());
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
    }
};

QTEST_MAIN(TestRecognitionModes)
#include "TestRecognitionModes.moc"

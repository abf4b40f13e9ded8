#include "TesseractTextEngine.h"
#include "TextEngineProcess.h"
#include "TextEngineService.h"
#include "TextEngineWire.h"

#include "TestSupport.h"
#include "TextImages.h"

#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <future>

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// This test program is also the recognition process the tests start.
namespace {

TextEngineProcessOptions serviceOptions() {
    TextEngineProcessOptions options;
    options.program = QCoreApplication::applicationFilePath();
    options.arguments = QStringList{QString::fromLatin1(TextEngineService::commandLineFlag)};
    return options;
}

TextRecognitionSettings allLanguages() {
    TextRecognitionSettings settings;
    settings.recognitionLanguages = QStringList{"zh-Hans", "zh-Hant", "en-US"};
    return settings;
}

QString joined(const Result<QList<TextObservation>> &result) {
    if (!result.ok())
        return "error: " + result.error().description;
    QStringList lines;
    for (const TextObservation &observation : result.value())
        lines << observation.candidates.value(0);
    return lines.join('\n');
}

// A page of text that keeps the engine busy until its time limit.
QImage longPage() {
    TextImages::Style style;
    style.pixelSize = 14;
    return TextImages::render(QStringList(80, "长时间识别的文字 Long recognition keeps the engine busy 0123456789"),
                              style);
}

// Whether the process has exited, without reaping it: a zombie whose threads
// are still ending cannot be reaped yet.
bool hasEnded(qint64 pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == static_cast<pid_t>(pid);
}

bool isReaped(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class TestTextEngineProcess final : public QObject {
    Q_OBJECT

private slots:
    // Requests cross intact: every setting, the reader's script, and pixels
    // of each format the engine reads, at widths whose rows QImage pads.
    void requestsCrossIntact_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("width");
        for (const QImage::Format format : {QImage::Format_Grayscale8, QImage::Format_RGB888, QImage::Format_BGR888,
                                            QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGBA8888})
            for (const int width : {1, 13, 64})
                QTest::addRow("format %d, %d px", int(format), width) << int(format) << width;
    }

    void requestsCrossIntact() {
        QFETCH(int, format);
        QFETCH(int, width);
        QImage image(width, 7, QImage::Format(format));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixelColor(x, y, QColor::fromRgb((x * 37 + y * 11) % 256, (x * 5) % 256, (y * 53) % 256,
                                                          255 - (x + y) % 7));
        TextEngineWire::Request request;
        request.settings.recognitionLevel = TextRecognitionSettings::Level::Fast;
        request.settings.usesLanguageCorrection = false;
        request.settings.recognitionLanguages = QStringList{"zh-Hant", "en-US"};
        request.settings.automaticallyDetectsLanguage = false;
        request.settings.usesCPUOnly = true;
        request.traditionalChineseFirst = true;
        request.image = image;

        const std::optional<TextEngineWire::Request> decoded =
            TextEngineWire::decodeRequest(TextEngineWire::encodeRequest(request));

        QVERIFY(decoded);
        QVERIFY(decoded->settings == request.settings);
        QCOMPARE(decoded->traditionalChineseFirst, true);
        QCOMPARE(decoded->image.format(), image.format());
        QCOMPARE(decoded->image, image);
    }

    // Answers cross intact, lines or an error.
    void answersCrossIntact() {
        const QList<TextObservation> lines{{{"第一行 first"}}, {{"", "第二"}}, {{}}};
        const auto lineAnswer = TextEngineWire::decodeAnswer(TextEngineWire::encodeAnswer(lines));
        QVERIFY(lineAnswer && lineAnswer->ok());
        QCOMPARE(lineAnswer->value(), lines);
        const Error error{"TextRecognition.Tesseract", 3, "Tesseract could not recognise the image."};
        const auto errorAnswer = TextEngineWire::decodeAnswer(TextEngineWire::encodeAnswer(error));
        QVERIFY(errorAnswer && !errorAnswer->ok());
        QCOMPARE(errorAnswer->error(), error);
        QVERIFY(!TextEngineWire::decodeAnswer(TextEngineWire::encodeAnswer(lines).chopped(1)));
    }

    // The recognition process ends, without reading further or allocating
    // what a frame claims, on anything that is not a whole request; and when
    // the application closes its end.
    void theServiceEndsOnWhatItCannotRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        TextEngineWire::Request request;
        request.image = TextImages::render({"请求"});
        const QByteArray valid = TextEngineWire::encodeRequest(request);
        const auto frame = [](const QByteArray &message) {
            const auto size = static_cast<quint32>(message.size());
            QByteArray bytes;
            for (int shift = 0; shift < 32; shift += 8)
                bytes.append(char((size >> shift) & 0xff));
            return QByteArray(bytes + message);
        };
        QByteArray otherVersion = valid;
        otherVersion[3] = char(otherVersion[3] + 1);
        TextEngineWire::Request mono;
        mono.image = QImage(16, 16, QImage::Format_Mono);
        mono.image.fill(0);
        QTest::newRow("closed at once") << QByteArray() << 0;
        QTest::newRow("closed inside a frame") << frame(valid).left(20) << 0;
        QTest::newRow("another version") << frame(otherVersion) << 2;
        QTest::newRow("pixels missing") << frame(valid.chopped(1)) << 2;
        QTest::newRow("pixels to spare") << frame(QByteArray(valid + "x")) << 2;
        QTest::newRow("a format the engine does not read") << frame(TextEngineWire::encodeRequest(mono)) << 2;
        QTest::newRow("a frame of 4 GB") << QByteArray("\xff\xff\xff\xff", 4) << 2;
    }

    void theServiceEndsOnWhatItCannotRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        int sockets[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets), 0);
        QCOMPARE(::send(sockets[0], bytes.constData(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
        ::shutdown(sockets[0], SHUT_WR);
        TesseractTextEngine engine;

        QCOMPARE(TextEngineService::serve(engine, sockets[1]), status);

        QCOMPARE(engine.modelLoadCount(), 0);
        ::close(sockets[0]);
        ::close(sockets[1]);
    }

    // Text read in the process comes back as the engine read it, in each
    // reader's script.
    void readsInItsProcess_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<bool>("traditionalReader");
        QTest::addColumn<QString>("truth");
        QTest::addRow("Simplified file list")
            << "simplified-file-list-wqy-24px.png" << false
            << "名称 大小 修改日期\n合同草稿.docx 6032 KB 2024-09-18 05:11\n"
               "预算表.xlsx 5472 KB 2024-07-17 01:22\n会议记录.docx 77 KB 2024-10-19 13:13\n"
               "季度报告.xlsx 2921 KB 2024-10-11 21:28\n发票扫描件.pdf 2646 KB 2024-06-15 17:03";
        QTest::addRow("Traditional menu, Traditional reader")
            << "traditional-menu-dark-14px.png" << true << "尋找與取代\n另存新檔…\n結束 Ctrl+X\n剪下";
    }

    void readsInItsProcess() {
        QFETCH(QString, fixture);
        QFETCH(bool, traditionalReader);
        QFETCH(QString, truth);
        const QImage image(TestSupport::sourceDir() + "/tests/platform/data/" + fixture);
        QVERIFY(!image.isNull());
        TextEngineProcess engine(serviceOptions());
        engine.setTraditionalChineseFirst(traditionalReader);
        QCOMPARE(engine.processId(), 0);

        const QString result = joined(engine.run(image, allLanguages()));

        const double errorRate = TextImages::characterErrorRate(result, truth);
        QVERIFY2(errorRate <= 0.1, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result)));
        QVERIFY(engine.processId() != 0);
        QVERIFY(engine.processId() != QCoreApplication::applicationPid());
        QCOMPARE(engine.processStarts(), 1);
    }

    // What the engine refuses is refused the same way, without a process.
    void refusesWhatTheEngineRefuses_data() {
        QTest::addColumn<QImage>("image");
        QImage mono(20, 20, QImage::Format_Mono);
        mono.fill(1);
        QTest::newRow("no pixels") << QImage();
        QTest::newRow("one bit per pixel") << mono;
    }

    void refusesWhatTheEngineRefuses() {
        QFETCH(QImage, image);
        TextEngineProcess engine(serviceOptions());
        TesseractTextEngine inProcess;

        const Result<QList<TextObservation>> result = engine.run(image, allLanguages());

        const Result<QList<TextObservation>> expected = inProcess.run(image, allLanguages());
        QVERIFY(!result.ok() && !expected.ok());
        QCOMPARE(result.error(), expected.error());
        QCOMPARE(engine.processStarts(), 0);
        QCOMPARE(engine.supportedRecognitionLanguages().value(), inProcess.supportedRecognitionLanguages().value());
    }

    // A process that ended between recognitions is replaced, and the next
    // recognition reads as before.
    void aProcessThatEndedIsReplaced() {
        TextEngineProcess engine(serviceOptions());
        const QImage sample = TextImages::render({"进程结束后重新启动"});
        QCOMPARE(joined(engine.run(sample, allLanguages())), "进程结束后重新启动");
        const qint64 first = engine.processId();

        QCOMPARE(::kill(static_cast<pid_t>(first), SIGKILL), 0);
        QTRY_VERIFY(hasEnded(first));

        QCOMPARE(joined(engine.run(sample, allLanguages())), "进程结束后重新启动");
        QVERIFY(engine.processId() != first);
        QCOMPARE(engine.processStarts(), 2);
        QVERIFY(isReaped(first));
    }

    // A recognition whose answer never comes fails with its reason instead of
    // holding its caller, and so does one waiting behind it; the process is
    // ended and the next recognition gets a new one.
    void anAnswerThatNeverComesFails_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        QTest::newRow("cancelled") << "cancel" << "TextRecognition.Tesseract" << 4;
        QTest::newRow("the process was killed") << "kill" << "TextRecognition.Process" << 2;
        QTest::newRow("the process is stuck") << "stop" << "TextRecognition.Process" << 3;
    }

    void anAnswerThatNeverComesFails() {
        QFETCH(QString, action);
        QFETCH(QString, domain);
        QFETCH(int, code);
        TextEngineProcessOptions options = serviceOptions();
        options.answerLimit = std::chrono::seconds(8);
        TextEngineProcess engine(options);
        const QImage page = longPage();
        auto running = std::async(std::launch::async, [&] { return engine.run(page, allLanguages()); });
        QTRY_VERIFY(engine.processId() != 0);
        const QImage sample = TextImages::render({"取消之后照常识别"});
        auto waiting = std::async(std::launch::async, [&] { return engine.run(sample, allLanguages()); });
        QTest::qWait(300);
        const qint64 pid = engine.processId();

        if (action == "cancel")
            engine.cancel();
        else
            QCOMPARE(::kill(static_cast<pid_t>(pid), action == "kill" ? SIGKILL : SIGSTOP), 0);

        const Result<QList<TextObservation>> result = running.get();
        QVERIFY2(!result.ok(), qPrintable(joined(result)));
        QCOMPARE(result.error().domain, domain);
        QCOMPARE(result.error().code, code);
        QVERIFY(isReaped(pid));
        if (action == "cancel") {
            const Result<QList<TextObservation>> behind = waiting.get();
            QVERIFY(!behind.ok());
            QCOMPARE(behind.error().code, 4);
        } else {
            // The one behind gets a process of its own.
            QCOMPARE(joined(waiting.get()), "取消之后照常识别");
        }
        QCOMPARE(joined(engine.run(sample, allLanguages())), "取消之后照常识别");
    }

    // Once unused for its idle time the process ends, and is reaped; the next
    // recognition starts another.
    void endsWhenIdle() {
        TextEngineProcessOptions options = serviceOptions();
        options.idleEnd = std::chrono::milliseconds(300);
        TextEngineProcess engine(options);
        const QImage sample = TextImages::render({"空闲后结束"});
        QCOMPARE(joined(engine.run(sample, allLanguages())), "空闲后结束");
        const qint64 first = engine.processId();
        QVERIFY(first != 0);

        QTRY_COMPARE(engine.processId(), 0);
        QTRY_VERIFY(isReaped(first));

        QCOMPARE(joined(engine.run(sample, allLanguages())), "空闲后结束");
        QCOMPARE(engine.processStarts(), 2);
    }
};

int main(int argc, char **argv) {
    if (argc == 2 && qstrcmp(argv[1], TextEngineService::commandLineFlag) == 0) {
        QCoreApplication application(argc, argv);
        TesseractTextEngine engine;
        return TextEngineService::serve(engine, STDIN_FILENO);
    }
    QGuiApplication application(argc, argv);
    TestTextEngineProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestTextEngineProcess.moc"

#include "TextRecognizer.h"

#include "ScriptedTextEngine.h"
#include "TesseractTextEngine.h"
#include "TestSupport.h"
#include "TextImages.h"

#include <QFile>
#include <QFutureWatcher>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

using Observations = QList<TextObservation>;
using EngineAnswer = Result<Observations>;

Q_DECLARE_METATYPE(Observations)

namespace {

Error readerError(qint64 code = 1) {
    return Error{"TextRecognition.CRImageReaderError", code, "The image reader refused the pixels."};
}

QImage whiteImage() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestTextRecognizer final : public QObject {
    Q_OBJECT

    // One engine for every test that recognises real pixels: loading the
    // models once is what the application does too.
    std::unique_ptr<TesseractTextEngine> m_tesseract;

    TesseractTextEngine &tesseract() {
        if (!m_tesseract)
            m_tesseract = std::make_unique<TesseractTextEngine>();
        return *m_tesseract;
    }

private slots:
    void preferredLanguagesAreFixed() {
        QCOMPARE(TextRecognizer::preferredLanguages(), (QStringList{"zh-Hans", "zh-Hant", "en-US"}));
    }

    // --- Rules around the engine, on a scripted engine -------------------

    void languageChoice_data() {
        QTest::addColumn<bool>("queryFails");
        QTest::addColumn<QStringList>("supported");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all three") << false << QStringList{"zh-Hans", "zh-Hant", "en-US"}
                                   << QStringList{"zh-Hans", "zh-Hant", "en-US"};
        QTest::newRow("engine order does not matter")
            << false << QStringList{"en-US", "zh-Hant", "zh-Hans"} << QStringList{"zh-Hans", "zh-Hant", "en-US"};
        QTest::newRow("only English") << false << QStringList{"en-US"} << QStringList{"en-US"};
        QTest::newRow("others are ignored")
            << false << QStringList{"ja-JP", "zh-Hant", "fr-FR"} << QStringList{"zh-Hant"};
        QTest::newRow("exact strings only")
            << false << QStringList{"en", "zh-hans", "zh_Hant", "en-US "} << QStringList{};
        QTest::newRow("none supported") << false << QStringList{} << QStringList{};
        QTest::newRow("query fails") << true << QStringList{} << QStringList{};
    }

    void languageChoice() {
        QFETCH(bool, queryFails);
        QFETCH(QStringList, supported);
        QFETCH(QStringList, expected);
        ScriptedTextEngine engine(queryFails ? Result<QStringList>(Error{"Test", 7, "no list"})
                                             : Result<QStringList>(supported));
        engine.script({ScriptedTextEngine::lines({"text"})});

        const Result<QString> result = TextRecognizer::recognize(engine, whiteImage());

        QVERIFY(result.ok());
        QCOMPARE(engine.calls().size(), 1);
        const TextRecognitionSettings settings = engine.calls().first().settings;
        QCOMPARE(settings.recognitionLanguages, expected);
        QVERIFY(settings.automaticallyDetectsLanguage);
        QVERIFY(settings.usesLanguageCorrection);
        QCOMPARE(settings.recognitionLevel, TextRecognitionSettings::Level::Accurate);
        QVERIFY(!settings.usesCPUOnly);
    }

    void joining_data() {
        QTest::addColumn<Observations>("observations");
        QTest::addColumn<QString>("expected");
        const auto lines = ScriptedTextEngine::lines;
        QTest::newRow("no observations") << Observations{} << "";
        QTest::newRow("lines in the engine's order") << lines({"第二行", "first", "third"}) << "第二行\nfirst\nthird";
        QTest::newRow("top candidate only") << Observations{{{"best", "second"}}, {{"next", "other"}}} << "best\nnext";
        QTest::newRow("empty candidate lists add nothing")
            << Observations{{{"a"}}, {{}}, {{}}, {{"b"}}, {{}}} << "a\nb";
        QTest::newRow("an empty top candidate is an empty line") << lines({"a", "", "b"}) << "a\n\nb";
        QTest::newRow("ends trimmed, inner spaces kept")
            << lines({"", "  ", "  indented  ", "  tail  ", " \t", ""}) << "indented  \n  tail";
        QTest::newRow("Unicode white space at the ends")
            << lines({"\u3000\u00a0全角空格\u3000", "end\u2028\u0085"}) << "全角空格\u3000\nend";
        QTest::newRow("only white space") << lines({" ", "\u3000", "\t"}) << "";
        QTest::newRow("inner line breaks kept") << lines({"a\r\nb", "c"}) << "a\r\nb\nc";
    }

    void joining() {
        QFETCH(Observations, observations);
        QFETCH(QString, expected);
        ScriptedTextEngine engine;
        engine.script({observations});

        const Result<QString> result = TextRecognizer::recognize(engine, whiteImage());

        QVERIFY(result.ok());
        QCOMPARE(result.value(), expected);
    }

    void retry_data() {
        QTest::addColumn<QList<EngineAnswer>>("answers");
        QTest::addColumn<int>("expectedRuns");
        QTest::addColumn<bool>("expectedOk");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<Error>("expectedError");
        const Error other{"TextRecognition.CRImageReaderError", 2, "other"};
        const Error foreign{"Other.Domain", 1, "foreign"};
        const Error retryError{"TextRecognition.Tesseract", 3, "the retry failed"};
        QTest::newRow("success needs no retry")
            << QList<EngineAnswer>{ScriptedTextEngine::lines({"ok"})} << 1 << true << "ok" << Error{};
        QTest::newRow("reader error retried once")
            << QList<EngineAnswer>{readerError(), ScriptedTextEngine::lines({"retried"})} << 2 << true << "retried"
            << Error{};
        QTest::newRow("code 2 is not retried")
            << QList<EngineAnswer>{other, ScriptedTextEngine::lines({"never"})} << 1 << false << "" << other;
        QTest::newRow("code 1 of another domain is not retried")
            << QList<EngineAnswer>{foreign, ScriptedTextEngine::lines({"never"})} << 1 << false << "" << foreign;
        QTest::newRow("the retry's error is reported")
            << QList<EngineAnswer>{readerError(), retryError, ScriptedTextEngine::lines({"never"})} << 2 << false << ""
            << retryError;
        QTest::newRow("never a second retry")
            << QList<EngineAnswer>{readerError(), readerError(5), ScriptedTextEngine::lines({"never"})} << 2 << false
            << "" << readerError(5);
    }

    void retry() {
        QFETCH(QList<EngineAnswer>, answers);
        QFETCH(int, expectedRuns);
        QFETCH(bool, expectedOk);
        QFETCH(QString, expectedText);
        QFETCH(Error, expectedError);
        ScriptedTextEngine engine;
        engine.script(answers);

        const Result<QString> result = TextRecognizer::recognize(engine, whiteImage());

        const QList<ScriptedTextEngine::Call> calls = engine.calls();
        QCOMPARE(calls.size(), expectedRuns);
        QVERIFY(!calls.first().settings.usesCPUOnly);
        if (expectedRuns == 2) {
            QVERIFY(calls.at(1).settings.usesCPUOnly);
            // Everything else of the request stays as it was.
            TextRecognitionSettings withoutCpuSwitch = calls.at(1).settings;
            withoutCpuSwitch.usesCPUOnly = false;
            QCOMPARE(withoutCpuSwitch, calls.first().settings);
        }
        QCOMPARE(result.ok(), expectedOk);
        if (expectedOk)
            QCOMPARE(result.value(), expectedText);
        else
            QCOMPARE(result.error(), expectedError);
    }

    // The retry hands the engine plain 8-bit RGB, translucent pixels over white.
    void retryGetsPlainEightBitCopy() {
        QImage deep(3, 2, QImage::Format_RGBA64);
        deep.fill(QColor(0, 0, 0, 0));
        deep.setPixelColor(0, 0, QColor(255, 0, 0));
        deep.setPixelColor(1, 0, QColor(0, 0, 0, 128));
        deep.setPixelColor(2, 1, QColor(10, 200, 30));
        ScriptedTextEngine engine;
        engine.script({readerError(), ScriptedTextEngine::lines({"x"})});

        QVERIFY(TextRecognizer::recognize(engine, deep).ok());

        const QList<ScriptedTextEngine::Call> calls = engine.calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(0).image.format(), QImage::Format_RGBA64);
        const QImage copy = calls.at(1).image;
        QCOMPARE(copy.format(), QImage::Format_RGB888);
        QCOMPARE(copy.size(), deep.size());
        QCOMPARE(copy.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(copy.pixel(1, 0), qRgb(127, 127, 127));
        QCOMPARE(copy.pixel(2, 0), qRgb(255, 255, 255));
        QCOMPARE(copy.pixel(2, 1), qRgb(10, 200, 30));
    }

    void unreadableFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("expectedCode");
        QTest::addColumn<QString>("expectedWords");
        QTest::newRow("missing file") << "missing.png" << QByteArray() << qint64(1) << "does not exist";
        QTest::newRow("a folder") << "folder.png" << QByteArray() << qint64(2) << "cannot be read";
        QTest::newRow("text named .png") << "notes.png" << QByteArray("just some text\n") << qint64(3)
                                         << "is not an image";
        QTest::newRow("truncated PNG") << "cut.png" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << qint64(3)
                                       << "is not an image";
        QTest::newRow("empty file") << "empty.jpg" << QByteArray("") << qint64(3) << "is not an image";
    }

    void unreadableFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(qint64, expectedCode);
        QFETCH(QString, expectedWords);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name.startsWith("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (!name.startsWith("missing")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        ScriptedTextEngine engine;

        const Result<QString> result = TextRecognizer::recognize(engine, path);

        QVERIFY(!result.ok());
        QCOMPARE(result.error().domain, "TextRecognition.ImageFile");
        QCOMPARE(result.error().code, expectedCode);
        QVERIFY2(result.error().description.contains(expectedWords), qPrintable(result.error().description));
        QVERIFY2(result.error().description.contains(name), qPrintable(result.error().description));
        QVERIFY(engine.calls().isEmpty());
    }

    // One limit for every path, counted in pixels whatever the depth: a large
    // 8-bit image and a 16-bit one at the limit decode; one row over is
    // refused from the header, before anything is decoded.
    void imagesWithinTheLimitDecode_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("6000 × 6000, 8-bit RGBA") << QSize(6000, 6000) << QImage::Format_ARGB32 << true;
        QTest::newRow("exactly 40,000,000 pixels, 16-bit RGBA") << QSize(8000, 5000) << QImage::Format_RGBA64 << true;
        QTest::newRow("one row more, 1 bit a pixel") << QSize(8000, 5001) << QImage::Format_Mono << false;
    }

    void imagesWithinTheLimitDecode() {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const QString path = dir.filePath("large.png");
        {
            QImage image(size, format);
            QVERIFY(!image.isNull());
            if (format == QImage::Format_Mono)
                image.fill(1);
            else
                image.fill(Qt::white);
            QVERIFY(image.save(path));
        }
        ScriptedTextEngine engine;
        engine.script({ScriptedTextEngine::lines({"large"})});
        const Result<QString> recognized = TextRecognizer::recognize(engine, path);
        QVERIFY2(recognized.ok() == accepted, qPrintable(recognized.ok() ? recognized.value()
                                                                         : recognized.error().description));
        if (accepted) {
            QCOMPARE(recognized.value(), "large");
            QCOMPARE(engine.calls().size(), 1);
            const QImage decoded = engine.calls().first().image;
            QCOMPARE(decoded.size(), size);
            QCOMPARE(decoded.pixelColor(size.width() - 1, size.height() - 1), QColor(Qt::white));
        } else {
            QCOMPARE(recognized.error().domain, "TextRecognition.ImageFile");
            QCOMPARE(recognized.error().code, 4);
            QVERIFY2(recognized.error().description.contains("8000 × 5001"),
                     qPrintable(recognized.error().description));
            QVERIFY(engine.calls().isEmpty());
        }
    }

    // A file name is the system's bytes, UTF-8 or not; the content decides the
    // format where the suffix is missing or wrong.
    void fileNamesAreTheSystemsBytes_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("not UTF-8") << QByteArray("bad\xff.png");
        QTest::newRow("UTF-8 Chinese") << QByteArray("截图.png");
        QTest::newRow("no suffix") << QByteArray("capture");
        QTest::newRow("a PNG named .jpg") << QByteArray("capture.jpg");
    }

    void fileNamesAreTheSystemsBytes() {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QString saved = dir.filePath("saved.png");
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(QColor(10, 200, 30));
        QVERIFY(image.save(saved));
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        QVERIFY(::rename(QFile::encodeName(saved).constData(), path.constData()) == 0);

        const Result<QImage> decoded = TextRecognizer::decodeFile(path);
        QVERIFY2(decoded.ok(), qPrintable(decoded.ok() ? QString() : decoded.error().description));
        QCOMPARE(decoded.value().size(), QSize(30, 20));
        QCOMPARE(decoded.value().pixelColor(5, 5), QColor(10, 200, 30));
    }

    void asyncRunsOffTheCallersThread() {
        ScriptedTextEngine engine;
        engine.script({ScriptedTextEngine::lines({" async "})});
        QFutureWatcher<Result<QString>> watcher;
        QSignalSpy finished(&watcher, &QFutureWatcher<Result<QString>>::finished);

        watcher.setFuture(TextRecognizer::recognizeAsync(engine, whiteImage()));

        QVERIFY(finished.wait(10000));
        const Result<QString> result = watcher.result();
        QVERIFY(result.ok());
        QCOMPARE(result.value(), "async");
        QCOMPARE(engine.calls().size(), 1);
        QVERIFY(engine.calls().first().thread != QThread::currentThread());
    }

    void asyncReportsErrors() {
        ScriptedTextEngine engine;
        const Error failure{"TextRecognition.Tesseract", 3, "broken"};
        engine.script({failure});

        QFuture<Result<QString>> future = TextRecognizer::recognizeAsync(engine, whiteImage());
        future.waitForFinished();

        QVERIFY(!future.result().ok());
        QCOMPARE(future.result().error(), failure);
        QVERIFY(engine.calls().first().thread != QThread::currentThread());
    }

    void prewarmOnScriptedEngine_data() {
        QTest::addColumn<EngineAnswer>("answer");
        QTest::addColumn<bool>("expected");
        QTest::newRow("any observation") << EngineAnswer(ScriptedTextEngine::lines({"whatever"})) << true;
        QTest::newRow("an observation without candidates") << EngineAnswer(Observations{{{}}}) << true;
        QTest::newRow("no observations") << EngineAnswer(Observations{}) << false;
        QTest::newRow("engine fails") << EngineAnswer(readerError()) << false;
    }

    void prewarmOnScriptedEngine() {
        QFETCH(EngineAnswer, answer);
        QFETCH(bool, expected);
        ScriptedTextEngine engine;
        engine.script({answer});

        QCOMPARE(TextRecognizer::prewarm(engine), expected);

        // One run, no retry, over the 320 × 90 sample with dark text on white.
        const QList<ScriptedTextEngine::Call> calls = engine.calls();
        QCOMPARE(calls.size(), 1);
        QVERIFY(!calls.first().settings.usesCPUOnly);
        QCOMPARE(calls.first().settings.recognitionLanguages, TextRecognizer::preferredLanguages());
        const QImage sample = calls.first().image;
        QCOMPARE(sample.size(), QSize(320, 90));
        QCOMPARE(sample.pixel(0, 0), qRgb(255, 255, 255));
        int dark = 0;
        for (int y = 0; y < sample.height(); ++y) {
            for (int x = 0; x < sample.width(); ++x)
                dark += qGray(sample.pixel(x, y)) < 100 ? 1 : 0;
        }
        QVERIFY2(dark > 500, qPrintable(QString::number(dark)));
    }

    // --- The real engine on real pixels ----------------------------------

    void prewarmRecognisesTheSample() {
        QVERIFY(TextRecognizer::prewarm(tesseract()));
        QVERIFY(tesseract().modelLoadCount() >= 1);
    }

    void recognisesRenderedText_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("dark");
        const QString sc = "Noto Sans CJK SC";
        const QString tc = "Noto Sans CJK TC";
        QTest::newRow("Simplified Chinese")
            << QStringList{"选区识字并复制，识别成功后自动放入剪贴板。", "按快捷键即可开始截图识别文字。"} << sc << 18
            << false;
        QTest::newRow("Traditional Chinese")
            << QStringList{"繁體中文的識別結果應該保持原來的寫法。", "請選擇要識別的區域，然後按下確認。"} << tc << 18
            << false;
        QTest::newRow("English") << QStringList{"Recognition never leaves this machine.",
                                                "Press the hot key and drag a rectangle."}
                                 << sc << 16 << false;
        QTest::newRow("dark theme, mixed")
            << QStringList{"设置 Settings 已保存", "版本 1.0.3 更新于 2024-05-01"} << sc << 15 << true;
    }

    void recognisesRenderedText() {
        QFETCH(QStringList, lines);
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(bool, dark);
        TextImages::Style style;
        style.family = family;
        style.pixelSize = pixelSize;
        if (dark) {
            style.background = QColor(0x1e, 0x1e, 0x1e);
            style.text = QColor(0xe6, 0xe6, 0xe6);
        }
        const QString expected = lines.join('\n');

        const Result<QString> result = TextRecognizer::recognize(tesseract(), TextImages::render(lines, style));

        QVERIFY(result.ok());
        const double errorRate = TextImages::characterErrorRate(result.value(), expected);
        QVERIFY2(errorRate <= 0.1, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result.value())));
        QCOMPARE(result.value().count('\n'), expected.count('\n'));
    }

    // A 2x screenshot whose rows along the flat tops of the lowercase letters
    // hold more of one anti-aliased edge value than background; taking such a
    // row's background from that row alone inverted it and lost the line.
    void recognisesDenseLowercaseAt2x() {
        const QString path = TestSupport::sourceDir() + "/tests/core/data/dense-lowercase-2x.png";
        const QString expected = "Version numbers follow the usual major, minor and patch scheme. Settings\n"
                                 "are synchronised through a JSON file in your cloud drive. If the connection";

        const Result<QString> result = TextRecognizer::recognize(tesseract(), path);

        QVERIFY(result.ok());
        const double errorRate = TextImages::characterErrorRate(result.value(), expected);
        QVERIFY2(errorRate <= 0.05, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result.value())));
    }

    void blankImageGivesEmptyText_data() {
        QTest::addColumn<QColor>("colour");
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("dark") << QColor(0x20, 0x20, 0x24);
    }

    void blankImageGivesEmptyText() {
        QFETCH(QColor, colour);
        QImage blank(400, 120, QImage::Format_RGB32);
        blank.fill(colour);

        const Result<QString> result = TextRecognizer::recognize(tesseract(), blank);

        QVERIFY(result.ok());
        QCOMPARE(result.value(), QString());
    }

    // A 16-bit PNG decodes to 16 bits per channel, which the engine refuses:
    // the retry with the 8-bit copy recognises it.
    void recognisesFilesIncludingSixteenBitPng() {
        const QStringList lines{"Vellora 识别 16-bit PNG"};
        const QImage image = TextImages::render(lines);
        QTemporaryDir dir;
        const QString eightBit = dir.filePath("eight.png");
        const QString sixteenBit = dir.filePath("sixteen.png");
        QVERIFY(image.save(eightBit));
        QVERIFY(image.convertToFormat(QImage::Format_RGBA64).save(sixteenBit));
        QCOMPARE(QImage(sixteenBit).format(), QImage::Format_RGBA64);

        for (const QString &path : {eightBit, sixteenBit}) {
            const Result<QString> result = TextRecognizer::recognize(tesseract(), path);
            QVERIFY2(result.ok(), qPrintable(path + ": " + (result.ok() ? "" : result.error().description)));
            const double errorRate = TextImages::characterErrorRate(result.value(), lines.join('\n'));
            QVERIFY2(errorRate <= 0.1, qPrintable(result.value()));
        }
    }
};

QTEST_MAIN(TestTextRecognizer)
#include "TestTextRecognizer.moc"

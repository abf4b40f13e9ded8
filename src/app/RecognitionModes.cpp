#include "RecognitionModes.h"

#include "PersistentClipboard.h"
#include "QuietStandardError.h"
#include "TextMetrics.h"
#include "TextRecognizer.h"

#include <QImage>

#include <cstdio>

namespace {

void writeLine(FILE *stream, const QString &line)
{
    const QByteArray utf8 = (line + u'\n').toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stream);
    std::fflush(stream);
}

// The file's text. libpng and libtiff print lines of their own about a broken
// file; the mode's one line says it already.
Result<QString> recognizeImageFile(TextEngine &engine, const QByteArray &path)
{
    const Result<QImage> image = [&path] {
        const QuietStandardError quiet;
        return TextRecognizer::decodeFile(path);
    }();
    if (!image.ok())
        return image.error();
    return TextRecognizer::recognize(engine, image.value());
}

} // namespace

namespace RecognitionModes {

int benchmarkFile(TextEngine &engine, const QByteArray &path)
{
    const double start = TextMetrics::monotonicSeconds();
    const Result<QString> text = recognizeImageFile(engine, path);
    if (!text.ok()) {
        writeLine(stderr, QStringLiteral("OCR benchmark failed: ") + text.error().description);
        return 1;
    }
    const double elapsed = TextMetrics::monotonicSeconds() - start;
    writeLine(stdout, QStringLiteral("ocr_seconds=") + TextMetrics::formatSeconds(elapsed)
                          + QStringLiteral(" output_characters=")
                          + QString::number(TextMetrics::graphemeCount(text.value())));
    return 0;
}

int benchmarkWarmup(TextEngine &engine)
{
    const double start = TextMetrics::monotonicSeconds();
    const bool recognized = TextRecognizer::prewarm(engine);
    const double elapsed = TextMetrics::monotonicSeconds() - start;
    writeLine(stdout, QStringLiteral("warmup_seconds=") + TextMetrics::formatSeconds(elapsed)
                          + QStringLiteral(" recognized=")
                          + (recognized ? QStringLiteral("true") : QStringLiteral("false")));
    return 0;
}

int recognizeFile(TextEngine &engine, const QByteArray &path)
{
    const Result<QString> text = recognizeImageFile(engine, path);
    if (!text.ok()) {
        writeLine(stderr, QStringLiteral("识别失败：") + text.error().description);
        return 1;
    }
    if (text.value().isEmpty()) {
        writeLine(stderr, QStringLiteral("未识别到文字"));
        return 2;
    }
    if (!PersistentClipboard::copy(text.value()).ok()) {
        writeLine(stderr, QStringLiteral("复制到剪贴板失败"));
        return 1;
    }
    writeLine(stdout, text.value());
    return 0;
}

} // namespace RecognitionModes

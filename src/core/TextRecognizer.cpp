#include "TextRecognizer.h"

#include "ImageDecoding.h"
#include "TextEngine.h"

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPromise>
#include <QThreadPool>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString imageFileErrorDomain = QStringLiteral("TextRecognition.ImageFile");

// Accurate recognition with language correction, the preferred languages the
// engine supports (in preferred order; empty when it supports none or the
// query fails) and automatic language detection always on.
TextRecognitionSettings makeSettings(TextEngine &engine) {
    TextRecognitionSettings settings;
    settings.recognitionLevel = TextRecognitionSettings::Level::Accurate;
    settings.usesLanguageCorrection = true;
    const Result<QStringList> supported = engine.supportedRecognitionLanguages();
    if (supported.ok()) {
        for (const QString &language : TextRecognizer::preferredLanguages()) {
            if (supported.value().contains(language))
                settings.recognitionLanguages << language;
        }
    }
    settings.automaticallyDetectsLanguage = true;
    return settings;
}

// Plain 8-bit RGB with alpha composed over white, the one pixel layout every
// image reader takes.
QImage plainEightBitCopy(const QImage &image) {
    if (image.isNull())
        return image;
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    if (copy.isNull())
        return copy;
    QImage plain(copy.size(), QImage::Format_RGB888);
    for (int y = 0; y < copy.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(copy.constScanLine(y));
        uchar *target = plain.scanLine(y);
        for (int x = 0; x < copy.width(); ++x) {
            const QRgb pixel = source[x];
            const int alpha = qAlpha(pixel);
            const auto over = [alpha](int channel) {
                return uchar((channel * alpha + 255 * (255 - alpha) + 127) / 255);
            };
            target[3 * x] = over(qRed(pixel));
            target[3 * x + 1] = over(qGreen(pixel));
            target[3 * x + 2] = over(qBlue(pixel));
        }
    }
    return plain;
}

bool isImageReaderFailure(const Error &error) {
    return error.domain == QStringView(TextEngine::imageReaderErrorDomain) &&
           error.code == TextEngine::imageReaderErrorCode;
}

// The engine's refusal of the pixel data earns exactly one retry, on CPU only,
// with a plain 8-bit copy; the retry's outcome is final.
Result<QList<TextObservation>> runWithRetry(TextEngine &engine, const QImage &image) {
    Result<QList<TextObservation>> first = engine.run(image, makeSettings(engine));
    if (first.ok() || !isImageReaderFailure(first.error()))
        return first;
    TextRecognitionSettings retry = makeSettings(engine);
    retry.usesCPUOnly = true;
    return engine.run(plainEightBitCopy(image), retry);
}

QString joinTopCandidates(const QList<TextObservation> &observations) {
    QStringList lines;
    for (const TextObservation &observation : observations) {
        if (!observation.candidates.isEmpty())
            lines << observation.candidates.first();
    }
    // QString::trimmed() removes exactly the Unicode white space and newline
    // characters (separators, tab to carriage return, next line).
    return lines.join(u'\n').trimmed();
}

} // namespace

QStringList TextRecognizer::preferredLanguages() {
    return {QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant"), QStringLiteral("en-US")};
}

Result<QString> TextRecognizer::recognize(TextEngine &engine, const QImage &image) {
    Result<QList<TextObservation>> observations = runWithRetry(engine, image);
    if (!observations.ok())
        return observations.error();
    return joinTopCandidates(observations.value());
}

Result<QString> TextRecognizer::recognize(TextEngine &engine, const QString &imagePath) {
    Result<QImage> image = decodeFile(QFile::encodeName(imagePath));
    if (!image.ok())
        return image.error();
    return recognize(engine, image.value());
}

Result<QImage> TextRecognizer::decodeFile(const QByteArray &path) {
    // Shown as the system would decode it; the file itself is opened by its bytes.
    const QString shown = QDir::toNativeSeparators(QDir::current().absoluteFilePath(QFile::decodeName(path)));
    const auto fail = [&shown](qint64 code, const QString &format) {
        return Error{imageFileErrorDomain, code, format.arg(shown)};
    };
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(1, QStringLiteral("The file “%1” does not exist."));
        return fail(2, QStringLiteral("The file “%1” cannot be read."));
    }
    QFile file;
    const int descriptor = S_ISREG(info.st_mode) ? ::open(path.constData(), O_RDONLY | O_CLOEXEC) : -1;
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (descriptor >= 0)
            ::close(descriptor);
        return fail(2, QStringLiteral("The file “%1” cannot be read."));
    }
    // The content decides the format; the name's suffix names it where the
    // content cannot (a format without a signature).
    auto readerOwner = std::make_unique<QImageReader>(&file);
    if (!readerOwner->canRead() && file.seek(0)) {
        readerOwner =
            std::make_unique<QImageReader>(&file, QFileInfo(QFile::decodeName(path)).suffix().toLower().toLatin1());
    }
    QImageReader &reader = *readerOwner;
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !ImageDecoding::withinLimit(size)) {
        return Error{imageFileErrorDomain, 4,
                     QStringLiteral("The image “%1” has %2 × %3 pixels, more than the 40,000,000 that can be "
                                    "recognised.")
                         .arg(shown, QString::number(size.width()), QString::number(size.height()))};
    }
    ImageDecoding::allowImagesWithinLimit();
    QImage image = reader.read();
    if (image.isNull()) {
        return Error{imageFileErrorDomain, 3,
                     QStringLiteral("The file “%1” is not an image that can be read (%2).").arg(shown, reader.errorString())};
    }
    // Images tagged with another colour space are read in sRGB, as a screen
    // capture is.
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb) &&
        image.format() != QImage::Format_Indexed8 && image.format() != QImage::Format_Mono &&
        image.format() != QImage::Format_MonoLSB) {
        image.convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    }
    return image;
}

QFuture<Result<QString>> TextRecognizer::recognizeAsync(TextEngine &engine, const QImage &image) {
    // A promise rather than QtConcurrent::run: a QtConcurrent future lets a
    // thread that waits on it run the work itself.
    auto promise = std::make_shared<QPromise<Result<QString>>>();
    QFuture<Result<QString>> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, &engine, image] {
        promise->addResult(recognize(engine, image));
        promise->finish();
    });
    return future;
}

void TextRecognizer::prewarmAsync(TextEngine &engine) {
    QThreadPool::globalInstance()->start([&engine] { prewarm(engine); }, QThread::LowPriority);
}

bool TextRecognizer::prewarm(TextEngine &engine) {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    QImage sample(320, 90, QImage::Format_ARGB32_Premultiplied);
    if (sample.isNull())
        return false;
    sample.fill(Qt::white);
    {
        QPainter painter(&sample);
        if (!painter.isActive())
            return false;
        // Noto Sans CJK SC stands in for PingFang SC. The sample's 32-point
        // font and its baseline at (12, 22) are in the units of a bitmap whose
        // origin is the bottom-left corner and whose points are pixels.
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(32);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(12, sample.height() - 22), QStringLiteral("截图识字 Vellora"));
    }
    const Result<QList<TextObservation>> observations = engine.run(sample, makeSettings(engine));
    return observations.ok() && !observations.value().isEmpty();
}

// Measures recognition quality and speed on screenshot-like samples: the
// character error rate (white space ignored) overall and per category, and
// the median time per image with the engine loaded (warm) and with a new
// engine per image (cold). Run through bench/ocr-quality.

#include "OcrSamples.h"
#include "TesseractTextEngine.h"
#include "TextRecognizer.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

size_t editDistance(const std::u32string &a, const std::u32string &b) {
    std::vector<size_t> previous(b.size() + 1);
    std::vector<size_t> current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j)
            current[j] =
                std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::u32string withoutSpace(const QString &text) {
    std::u32string out;
    for (char32_t c : text.toStdU32String()) {
        if (!QChar::isSpace(c))
            out.push_back(c);
    }
    return out;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Tally {
    size_t errors = 0;
    size_t characters = 0;
    int images = 0;
    double rate() const { return characters ? 100.0 * double(errors) / double(characters) : 0; }
};

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("OCR quality bench"));
    parser.addHelpOption();
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Samples per category."),
                                   QStringLiteral("n"), QStringLiteral("24"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Sample seed."), QStringLiteral("n"),
                                  QStringLiteral("20240517"));
    const QCommandLineOption cold(QStringLiteral("cold"), QStringLiteral("Images timed with a new engine each."),
                                  QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption psm(QStringLiteral("psm"), QStringLiteral("Page segmentation mode."), QStringLiteral("n"));
    const QCommandLineOption lineHeight(QStringLiteral("line-height"), QStringLiteral("Target line height."),
                                        QStringLiteral("px"));
    const QCommandLineOption dataPath(QStringLiteral("data"), QStringLiteral("Model folder."), QStringLiteral("path"));
    const QCommandLineOption noPreprocess(QStringLiteral("no-preprocess"), QStringLiteral("Feed the image as it is."));
    const QCommandLineOption noUnify(QStringLiteral("no-unify"), QStringLiteral("Keep mixed Chinese scripts."));
    const QCommandLineOption noPunctuation(QStringLiteral("no-punctuation"),
                                           QStringLiteral("Keep the engine's punctuation and spacing."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Print every sample's result."));
    const QCommandLineOption writeSamples(QStringLiteral("write-samples"),
                                          QStringLiteral("Save the samples as PNG and text into a folder."),
                                          QStringLiteral("folder"));
    parser.addOptions(
        {count, seed, cold, psm, lineHeight, dataPath, noPreprocess, noUnify, noPunctuation, verbose, writeSamples});
    parser.process(app);

    TesseractTextEngineOptions options;
    if (parser.isSet(psm))
        options.pageSegmentationMode = parser.value(psm).toInt();
    if (parser.isSet(lineHeight))
        options.targetLineHeight = parser.value(lineHeight).toInt();
    if (parser.isSet(dataPath))
        options.dataPath = parser.value(dataPath);
    options.preprocess = !parser.isSet(noPreprocess);
    options.unifyChineseScript = !parser.isSet(noUnify);
    options.normalizeChinesePunctuation = !parser.isSet(noPunctuation);

    const std::vector<OcrSamples::Sample> samples =
        OcrSamples::generate(parser.value(count).toInt(), parser.value(seed).toUInt());
    if (parser.isSet(writeSamples)) {
        const QDir dir(parser.value(writeSamples));
        dir.mkpath(QStringLiteral("."));
        for (const OcrSamples::Sample &sample : samples) {
            sample.image.save(dir.filePath(sample.name + QStringLiteral(".png")));
            QFile truth(dir.filePath(sample.name + QStringLiteral(".txt")));
            if (truth.open(QIODevice::WriteOnly))
                truth.write(sample.truth.toUtf8() + '\n');
        }
    }

    // Cold: a new engine per image, so each pays for loading its models.
    std::vector<double> coldTimes;
    const int coldCount = std::min<int>(parser.value(cold).toInt(), int(samples.size()));
    for (int i = 0; i < coldCount; ++i) {
        const auto &sample = samples[size_t(i) * samples.size() / size_t(std::max(coldCount, 1))];
        QElapsedTimer timer;
        timer.start();
        TesseractTextEngine engine(options);
        const Result<QString> result = TextRecognizer::recognize(engine, sample.image);
        coldTimes.push_back(double(timer.nsecsElapsed()) / 1e9);
        if (!result.ok())
            std::fprintf(stderr, "cold %s failed: %s\n", qPrintable(sample.name),
                         qPrintable(result.error().description));
    }

    TesseractTextEngine engine(options);
    QElapsedTimer warmup;
    warmup.start();
    const bool warmed = TextRecognizer::prewarm(engine);
    const double warmupSeconds = double(warmup.nsecsElapsed()) / 1e9;

    QMap<QString, Tally> tallies;
    Tally overall;
    std::vector<double> warmTimes;
    QMap<QString, std::vector<double>> categoryTimes;
    for (const OcrSamples::Sample &sample : samples) {
        QElapsedTimer timer;
        timer.start();
        const Result<QString> result = TextRecognizer::recognize(engine, sample.image);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        warmTimes.push_back(seconds);
        categoryTimes[sample.category].push_back(seconds);
        const QString text = result.ok() ? result.value() : QString();
        const std::u32string truth = withoutSpace(sample.truth);
        const size_t errors = editDistance(truth, withoutSpace(text));
        Tally &tally = tallies[sample.category];
        tally.errors += errors;
        tally.characters += truth.size();
        ++tally.images;
        overall.errors += errors;
        overall.characters += truth.size();
        ++overall.images;
        if (parser.isSet(verbose)) {
            std::printf("== %s (%dpx %dx %s) %.1f%% %.3fs\n-- truth:\n%s\n-- read:\n%s\n", qPrintable(sample.name),
                        sample.pixelSize, sample.scale, sample.dark ? "dark" : "light",
                        truth.empty() ? 0.0 : 100.0 * double(errors) / double(truth.size()), seconds,
                        qPrintable(sample.truth), qPrintable(text));
        }
    }

    std::printf("%-14s %7s %7s %9s %10s\n", "category", "images", "chars", "CER %", "median s");
    for (const QString &category : OcrSamples::categories()) {
        const Tally &tally = tallies[category];
        std::printf("%-14s %7d %7zu %9.2f %10.3f\n", qPrintable(category), tally.images, tally.characters, tally.rate(),
                    median(categoryTimes[category]));
    }
    std::printf("%-14s %7d %7zu %9.2f %10.3f\n", "overall", overall.images, overall.characters, overall.rate(),
                median(warmTimes));
    std::printf("warm median %.3f s per image (engine loaded); cold median %.3f s per image (new engine, %d images); "
                "prewarm %.3f s (%s); OMP_THREAD_LIMIT=%s\n",
                median(warmTimes), median(coldTimes), coldCount, warmupSeconds, warmed ? "recognized" : "failed",
                qgetenv("OMP_THREAD_LIMIT").constData());
    return 0;
}

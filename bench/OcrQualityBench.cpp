// Measures recognition quality and speed on screenshot-like samples: the
// character error rate (white space ignored) overall and per category, the
// crops that come back in the wrong Chinese script (and the rate once each
// reading is put into its truth's script), and the median time per image with
// the engine loaded (warm) and with a new engine per image (cold).
// Run through bench/ocr-quality.

#include "OcrSamples.h"
#include "TesseractTextEngine.h"
#include "TextRecognizer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QSet>

#include <opencc/opencc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
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
    int wrongScript = 0;
    double rate() const { return characters ? 100.0 * double(errors) / double(characters) : 0; }
    void add(size_t sampleErrors, size_t sampleCharacters, bool wrong) {
        errors += sampleErrors;
        characters += sampleCharacters;
        ++images;
        wrongScript += wrong ? 1 : 0;
    }
};

// Converts Chinese text between the scripts with OpenCC's tables.
class ScriptConverter {
public:
    explicit ScriptConverter(const char *config)
        : m_handle(opencc_open(config)) {}
    ~ScriptConverter() {
        if (valid())
            opencc_close(m_handle);
    }
    bool valid() const { return m_handle != reinterpret_cast<opencc_t>(-1); }
    QString convert(const QString &text) const {
        if (!valid())
            return text;
        const QByteArray utf8 = text.toUtf8();
        char *converted = opencc_convert_utf8(m_handle, utf8.constData(), size_t(utf8.size()));
        const QString result = QString::fromUtf8(converted);
        opencc_convert_utf8_free(converted);
        return result;
    }

private:
    opencc_t m_handle;
};

// Whether a result is in the other script than its truth: more of its
// characters are the other script's forms of the truth's characters than
// are the truth's own distinctive forms.
struct ScriptCheck {
    int own = 0;
    int other = 0;
    bool wrong() const { return other > own; }
};

ScriptCheck checkScript(const QString &truth, const QString &script, const QString &result,
                        const ScriptConverter &toSimplified, const ScriptConverter &toTraditional) {
    ScriptCheck check;
    if (script.isEmpty())
        return check;
    const std::u32string original = truth.toStdU32String();
    const std::u32string converted =
        (script == u"zh-Hans" ? toTraditional : toSimplified).convert(truth).toStdU32String();
    if (converted.size() != original.size())
        return check;
    QSet<char32_t> own;
    QSet<char32_t> other;
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] != converted[i]) {
            own.insert(original[i]);
            other.insert(converted[i]);
        }
    }
    for (char32_t c : result.toStdU32String()) {
        if (own.contains(c))
            ++check.own;
        else if (other.contains(c))
            ++check.other;
    }
    return check;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("OCR quality bench"));
    parser.addHelpOption();
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Samples per category."),
                                   QStringLiteral("n"), QStringLiteral("12"));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("tuning, or held-back: other texts and seeds, never tuned on."),
                                 QStringLiteral("set"), QStringLiteral("tuning"));
    const QCommandLineOption only(QStringLiteral("category"), QStringLiteral("Only this category."),
                                  QStringLiteral("name"));
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
    const QCommandLineOption traditionalFirst(
        QStringLiteral("traditional-first"),
        QStringLiteral("Read as for a user of Traditional Chinese (its model first, ties to Traditional)."));
    const QCommandLineOption writeSamples(QStringLiteral("write-samples"),
                                          QStringLiteral("Save the samples as PNG and text into a folder and stop."),
                                          QStringLiteral("folder"));
    const QCommandLineOption writeLatencyCrops(
        QStringLiteral("write-latency-crops"),
        QStringLiteral("Save the capture bench's crops (line, paragraph, table, menu) into a folder and stop."),
        QStringLiteral("folder"));
    parser.addOptions({count, set, only, cold, psm, lineHeight, dataPath, noPreprocess, noUnify, noPunctuation, verbose,
                       traditionalFirst, writeSamples, writeLatencyCrops});
    parser.process(app);

    const auto save = [](const QString &folder, const std::vector<OcrSamples::Sample> &samples) {
        const QDir dir(folder);
        dir.mkpath(QStringLiteral("."));
        for (const OcrSamples::Sample &sample : samples) {
            sample.image.save(dir.filePath(sample.name + QStringLiteral(".png")));
            QFile truth(dir.filePath(sample.name + QStringLiteral(".txt")));
            if (truth.open(QIODevice::WriteOnly))
                truth.write(sample.truth.toUtf8() + '\n');
        }
    };
    if (parser.isSet(writeLatencyCrops)) {
        save(parser.value(writeLatencyCrops), OcrSamples::latencyCrops());
        return 0;
    }
    if (parser.value(set) != u"tuning" && parser.value(set) != u"held-back") {
        std::fprintf(stderr, "--set is tuning or held-back\n");
        return 2;
    }

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

    std::vector<OcrSamples::Sample> samples =
        OcrSamples::generate(parser.value(set) == u"tuning" ? OcrSamples::Set::Tuning : OcrSamples::Set::HeldBack,
                             parser.value(count).toInt());
    if (parser.isSet(only)) {
        std::erase_if(samples, [&](const OcrSamples::Sample &sample) { return sample.category != parser.value(only); });
    }
    if (parser.isSet(writeSamples)) {
        save(parser.value(writeSamples), samples);
        return 0;
    }
    const ScriptConverter toSimplified("t2s.json");
    const ScriptConverter toTraditional("s2tw.json");

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
    engine.setTraditionalChineseFirst(parser.isSet(traditionalFirst));
    QElapsedTimer warmup;
    warmup.start();
    const bool warmed = TextRecognizer::prewarm(engine);
    const double warmupSeconds = double(warmup.nsecsElapsed()) / 1e9;

    QMap<QString, Tally> tallies;
    QMap<QString, Tally> scripts;
    Tally overall;
    Tally scriptPutRight;
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
        const ScriptCheck script = checkScript(sample.truth, sample.script, text, toSimplified, toTraditional);
        tallies[sample.category].add(errors, truth.size(), script.wrong());
        scripts[sample.script.isEmpty() ? QStringLiteral("Latin") : sample.script].add(errors, truth.size(),
                                                                                       script.wrong());
        overall.add(errors, truth.size(), script.wrong());
        // The same reading in its truth's script: what is left once the
        // script is chosen right.
        const QString rightScript = sample.script == u"zh-Hans"   ? toSimplified.convert(text)
                                    : sample.script == u"zh-Hant" ? toTraditional.convert(text)
                                                                  : text;
        scriptPutRight.add(editDistance(truth, withoutSpace(rightScript)), truth.size(), false);
        if (parser.isSet(verbose)) {
            std::printf("== %s (%s %dpx %dx %s%s) %.1f%% %.3fs%s\n-- truth:\n%s\n-- read:\n%s\n",
                        qPrintable(sample.name), qPrintable(sample.font), sample.pixelSize, sample.scale,
                        qPrintable(sample.theme), sample.lcd ? " lcd" : "",
                        truth.empty() ? 0.0 : 100.0 * double(errors) / double(truth.size()), seconds,
                        script.wrong() ? " WRONG SCRIPT" : "", qPrintable(sample.truth), qPrintable(text));
        }
    }

    std::printf("set %s\n", qPrintable(parser.value(set)));
    std::printf("%-14s %7s %7s %9s %10s %7s\n", "category", "images", "chars", "CER %", "median s", "script");
    for (const QString &category : OcrSamples::categories()) {
        if (!tallies.contains(category))
            continue;
        const Tally &tally = tallies[category];
        std::printf("%-14s %7d %7zu %9.2f %10.3f %7d\n", qPrintable(category), tally.images, tally.characters,
                    tally.rate(), median(categoryTimes[category]), tally.wrongScript);
    }
    for (auto it = scripts.cbegin(); it != scripts.cend(); ++it) {
        std::printf("%-14s %7d %7zu %9.2f %10s %7d\n", qPrintable(it.key()), it->images, it->characters, it->rate(), "",
                    it->wrongScript);
    }
    std::printf("%-14s %7d %7zu %9.2f %10.3f %7d\n", "overall", overall.images, overall.characters, overall.rate(),
                median(warmTimes), overall.wrongScript);
    std::printf("overall with each reading in its truth's script: %.2f %%\n", scriptPutRight.rate());
    std::printf("warm median %.3f s per image (engine loaded); cold median %.3f s per image (new engine, %d images); "
                "prewarm %.3f s (%s); OMP_THREAD_LIMIT=%s\n",
                median(warmTimes), median(coldTimes), coldCount, warmupSeconds, warmed ? "recognized" : "failed",
                qgetenv("OMP_THREAD_LIMIT").constData());
    return 0;
}

#include "TesseractTextEngine.h"

#include "ChinesePunctuation.h"
#include "ChineseScriptChoice.h"
#include "ChineseScriptEvidence.h"
#include "MenuText.h"
#include "ScreenImagePreparation.h"
#include "TessdataFolder.h"
#include "TesseractHandles.h"
#include "TesseractWorker.h"

#include <QFile>
#include <QImage>
#include <QRect>
#include <QtGlobal>

#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

const QString engineErrorDomain = QStringLiteral("TextRecognition.Tesseract");

struct LanguageModel {
    const char16_t *identifier;
    const char *model;
};

// In preference order; also the order in which models are combined when the
// caller leaves the choice to the engine.
constexpr LanguageModel languageModels[] = {
    {u"zh-Hans", "chi_sim"},
    {u"zh-Hant", "chi_tra"},
    {u"en-US", "eng"},
};

Error engineError(qint64 code, const QString &description) {
    return Error{engineErrorDomain, code, description};
}

Error imageReaderError(const QString &description) {
    return Error{QString::fromUtf16(TextEngine::imageReaderErrorDomain), TextEngine::imageReaderErrorCode, description};
}

Error cancellationError() {
    return TesseractTextEngine::cancellation();
}

// The identifiers of the known models among those installed.
Result<QStringList> languagesIn(const QString &dataPath, const QStringList &installedModels) {
    if (dataPath.isEmpty())
        return engineError(2, QStringLiteral("No Tesseract data folder with language models was found."));
    QStringList identifiers;
    for (const LanguageModel &language : languageModels) {
        if (installedModels.contains(QLatin1StringView(language.model)))
            identifiers << QString::fromUtf16(language.identifier);
    }
    return identifiers;
}

// Tesseract's progress monitor asks this between words.
bool cancelRequested(void *flag, int) {
    return static_cast<const std::atomic<bool> *>(flag)->load();
}

struct Recognition {
    QStringList lines;
    // The Chinese characters read, with where they are on the page.
    std::vector<ChineseScriptEvidence::Character> characters;
};

// The Chinese characters the engine read, with their boxes and their lines'.
void collectCharacters(tesseract::ResultIterator &iterator, std::vector<ChineseScriptEvidence::Character> &characters) {
    iterator.Begin();
    do {
        const TesseractText symbol(iterator.GetUTF8Text(tesseract::RIL_SYMBOL));
        if (!symbol)
            continue;
        const std::u32string text = QString::fromUtf8(symbol.get()).toStdU32String();
        if (text.size() != 1 || QChar::script(text[0]) != QChar::Script_Han)
            continue;
        int left = 0, top = 0, right = 0, bottom = 0;
        ChineseScriptEvidence::Character character{text[0], {}, {}};
        if (iterator.BoundingBox(tesseract::RIL_SYMBOL, &left, &top, &right, &bottom))
            character.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        if (iterator.BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom))
            character.line = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        if (!character.box.isEmpty() && !character.line.isEmpty())
            characters.push_back(character);
    } while (iterator.Next(tesseract::RIL_SYMBOL));
}

// One recognition of a prepared image, on the worker thread; with its Chinese
// characters one by one when the script is to be told.
Result<Recognition> recognizeOn(TesseractWorker::Context &context, const TesseractTextEngineOptions &options,
                                const QByteArray &languages, bool dictionaries, bool withCharacters, PIX *pix,
                                std::chrono::steady_clock::time_point requested, std::atomic<bool> &cancelled) {
    if (cancelled)
        return cancellationError();
    Error loadError;
    tesseract::TessBaseAPI *api = context.engine(languages, dictionaries, &loadError);
    if (!api)
        return loadError;
    api->SetPageSegMode(static_cast<tesseract::PageSegMode>(options.pageSegmentationMode));
    api->SetImage(pix);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelRequested;
    monitor.cancel_this = &cancelled;
    // The time limit counts from the request, so that a page of photo ends
    // in time even when the models had to be loaded first. A load that takes
    // long on a busy machine is not the page's fault: the reading still gets
    // most of the limit after it.
    const auto minimumReading =
        std::min<std::chrono::steady_clock::duration>(options.timeLimit, std::chrono::seconds(2));
    monitor.end_time = std::max(requested + options.timeLimit, std::chrono::steady_clock::now() + minimumReading);
    const int status = api->Recognize(&monitor);
    if (cancelled) {
        api->Clear();
        return cancellationError();
    }
    // Past the deadline Tesseract stops between words and fails the page, but
    // keeps the words it has read: a page of noise ends with what text it holds.
    if (status != 0 && !monitor.deadline_exceeded()) {
        api->Clear();
        return engineError(3, QStringLiteral("Tesseract could not recognise the image."));
    }
    Recognition recognition;
    {
        std::unique_ptr<tesseract::ResultIterator> iterator(api->GetIterator());
        if (iterator) {
            do {
                if (iterator->Empty(tesseract::RIL_TEXTLINE))
                    continue;
                const TesseractText text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (!text)
                    continue;
                QString line = QString::fromUtf8(text.get());
                while (line.endsWith(u'\n'))
                    line.chop(1);
                if (line.trimmed().isEmpty())
                    continue;
                recognition.lines << line;
            } while (iterator->Next(tesseract::RIL_TEXTLINE));
            // Words a page cut short has not read have no characters to look
            // at one by one (Tesseract reads past their end), and such a page
            // is a picture more than text. A page that failed at all was cut:
            // the time, checked now, may have run out since it was read.
            if (withCharacters && status == 0)
                collectCharacters(*iterator, recognition.characters);
        }
    }
    api->Clear();
    return recognition;
}

} // namespace

// ---------------------------------------------------------------------------

struct TesseractTextEngine::Private {
    TesseractTextEngineOptions options;
    QString dataPath;
    QStringList installedModels;
    // Before the worker: the worker lets go of its tables as it ends.
    ChineseScriptChoice scriptChoice;
    // Draws the two forms of characters to tell the script of a page.
    HanGlyphShapes::Font glyphFont;
    std::unique_ptr<TesseractWorker> worker;

    std::atomic<bool> traditionalFirst{false};

    // The cancellation flags of the recognitions in progress.
    std::mutex runningMutex;
    std::vector<std::atomic<bool> *> running;

    Result<Recognition> recognize(const QByteArray &languages, bool dictionaries, PIX *pix,
                                  std::chrono::steady_clock::time_point requested, std::atomic<bool> &cancelled);
    // The script the page's glyphs are drawn in, when their shapes tell it; on
    // the worker thread.
    std::optional<ChineseScriptChoice::Script> scriptOfPage(PIX *pix, const Recognition &recognition);
    // The engine's lines with Chinese punctuation and script put right. On the
    // worker thread, which also lets go of the script tables with the models.
    // With `unifying`, the script is made one: `script` when the glyphs told
    // it, otherwise the one most characters were read in.
    QStringList cleanedUp(QStringList lines, bool unifying, bool traditionalPreferred,
                          std::optional<ChineseScriptChoice::Script> script);
};

namespace {

// A recognition in progress, which cancel() can reach.
class RunningRecognition {
public:
    RunningRecognition(std::mutex &mutex, std::vector<std::atomic<bool> *> &running)
        : m_mutex(mutex)
        , m_running(running) {
        const std::lock_guard lock(m_mutex);
        m_running.push_back(&cancelled);
    }
    ~RunningRecognition() {
        const std::lock_guard lock(m_mutex);
        m_running.erase(std::find(m_running.begin(), m_running.end(), &cancelled));
    }
    RunningRecognition(const RunningRecognition &) = delete;
    RunningRecognition &operator=(const RunningRecognition &) = delete;

    std::atomic<bool> cancelled{false};

private:
    std::mutex &m_mutex;
    std::vector<std::atomic<bool> *> &m_running;
};

} // namespace

Result<Recognition> TesseractTextEngine::Private::recognize(const QByteArray &languages, bool dictionaries, PIX *pix,
                                                            std::chrono::steady_clock::time_point requested,
                                                            std::atomic<bool> &cancelled) {
    std::optional<Result<Recognition>> result;
    try {
        worker->run([&](TesseractWorker::Context &context) {
            const bool unifying =
                options.unifyChineseScript && (languages.contains("chi_sim") || languages.contains("chi_tra"));
            result = recognizeOn(context, options, languages, dictionaries, unifying, pix, requested, cancelled);
            if (!result->ok())
                return;
            std::optional<ChineseScriptChoice::Script> script;
            if (unifying)
                script = scriptOfPage(pix, result->value());
            if (cancelled) {
                result = cancellationError();
                return;
            }
            result->value().lines = cleanedUp(result->value().lines, unifying, traditionalFirst, script);
        });
    } catch (const std::exception &exception) {
        return engineError(3, QStringLiteral("Tesseract failed: %1").arg(QString::fromLocal8Bit(exception.what())));
    }
    return *result;
}

std::optional<ChineseScriptChoice::Script> TesseractTextEngine::Private::scriptOfPage(PIX *pix,
                                                                                      const Recognition &recognition) {
    return ChineseScriptEvidence::verdict(
        ChineseScriptEvidence::compare(pix, recognition.characters, scriptChoice, glyphFont));
}

QStringList TesseractTextEngine::Private::cleanedUp(QStringList lines, bool unifying, bool traditionalPreferred,
                                                    std::optional<ChineseScriptChoice::Script> script) {
    if (options.normalizeChinesePunctuation) {
        for (QString &line : lines)
            line = ChinesePunctuation::normalizeLine(ChinesePunctuation::withoutStrayQuotes(line));
    }
    for (QString &line : lines)
        line = MenuText::withoutLeadingTick(MenuText::fixModifierNames(line));
    if (unifying) {
        const QString text = lines.join(u'\n');
        const QStringList unified =
            (script ? scriptChoice.into(text, *script)
                    : scriptChoice.unify(text, traditionalPreferred ? ChineseScriptChoice::Script::Traditional
                                                                    : ChineseScriptChoice::Script::Simplified))
                .split(u'\n');
        if (unified.size() == lines.size())
            lines = unified;
    }
    return lines;
}

// ---------------------------------------------------------------------------

TesseractTextEngine::TesseractTextEngine()
    : TesseractTextEngine(TesseractTextEngineOptions()) {}

TesseractTextEngine::TesseractTextEngine(const TesseractTextEngineOptions &options)
    : d(std::make_unique<Private>()) {
    d->options = options;
    d->dataPath = TessdataFolder::find(options.dataPath);
    d->installedModels = TessdataFolder::models(d->dataPath);
    Private *p = d.get();
    d->worker = std::make_unique<TesseractWorker>(TesseractWorker::Options{d->dataPath, options.idleRelease, [p] {
                                                                               p->scriptChoice.release();
                                                                               p->glyphFont.release();
                                                                           }});
}

TesseractTextEngine::~TesseractTextEngine() = default;

void TesseractTextEngine::setTraditionalChineseFirst(bool first) {
    d->traditionalFirst = first;
}

void TesseractTextEngine::cancel() {
    const std::lock_guard lock(d->runningMutex);
    for (std::atomic<bool> *cancelled : d->running)
        *cancelled = true;
}

bool TesseractTextEngine::holdsModels() const {
    return d->worker->holdsModels() || d->scriptChoice.holdsTables();
}

QString TesseractTextEngine::dataPath() const {
    return d->dataPath;
}

int TesseractTextEngine::modelLoadCount() const {
    return d->worker->loadCount();
}

Result<QStringList> TesseractTextEngine::supportedRecognitionLanguages() {
    return languagesIn(d->dataPath, d->installedModels);
}

Result<QStringList> TesseractTextEngine::installedLanguages(const TesseractTextEngineOptions &options) {
    const QString dataPath = TessdataFolder::find(options.dataPath);
    return languagesIn(dataPath, TessdataFolder::models(dataPath));
}

Error TesseractTextEngine::cancellation() {
    return engineError(4, QStringLiteral("The recognition was cancelled."));
}

Result<void> TesseractTextEngine::checkReadable(const QImage &image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return imageReaderError(QStringLiteral("The image has no pixels."));
    if (!ScreenImagePreparation::isReadableFormat(image.format())) {
        return imageReaderError(
            QStringLiteral("The image reader cannot read pixel format %1.").arg(static_cast<int>(image.format())));
    }
    return {};
}

Result<QList<TextObservation>> TesseractTextEngine::run(const QImage &image, const TextRecognitionSettings &settings) {
    const auto requested = std::chrono::steady_clock::now();
    if (const Result<void> readable = checkReadable(image); !readable.ok())
        return readable.error();

    // Languages: the requested ones that have models, in the order given.
    QByteArrayList models;
    for (const QString &identifier : settings.recognitionLanguages) {
        for (const LanguageModel &language : languageModels) {
            const QByteArray model(language.model);
            if (identifier == QString::fromUtf16(language.identifier) &&
                d->installedModels.contains(QString::fromLatin1(model)) && !models.contains(model))
                models << model;
        }
    }
    if (models.isEmpty()) {
        // Nothing requested (or nothing installed of it): with automatic
        // detection every known model takes part, otherwise English alone.
        for (const LanguageModel &language : languageModels) {
            const QByteArray model(language.model);
            if (d->installedModels.contains(QString::fromLatin1(model)) &&
                (settings.automaticallyDetectsLanguage || model == "eng"))
                models << model;
        }
    }
    if (models.isEmpty()) {
        return engineError(2, QStringLiteral("No Tesseract language models were found in “%1”.")
                                  .arg(d->dataPath.isEmpty() ? QStringLiteral("(no data folder)") : d->dataPath));
    }
    // The first model reads each word first and keeps it unless another one
    // reads it better on every count.
    const qsizetype simplified = models.indexOf("chi_sim");
    const qsizetype traditional = models.indexOf("chi_tra");
    if (simplified >= 0 && traditional >= 0 && (traditional < simplified) != d->traditionalFirst.load())
        models.swapItemsAt(simplified, traditional);
    const QByteArray languages = models.join('+');
    RunningRecognition recognition(d->runningMutex, d->running);

    ScreenImagePreparation::Options preparation;
    preparation.preprocess = d->options.preprocess;
    preparation.targetLineHeight = d->options.targetLineHeight;
    preparation.enlarge = settings.recognitionLevel == TextRecognitionSettings::Level::Accurate;
    const ScreenImagePreparation::Prepared prepared = ScreenImagePreparation::prepare(image, preparation);
    // A region of noise holds no text, and Tesseract would spend its whole
    // time limit finding letters in it.
    if (d->options.preprocess && ScreenImagePreparation::texture(prepared.image).isNoise())
        return QList<TextObservation>();
    PixPointer pix = ScreenImagePreparation::toPix(prepared.image, prepared.margin);
    if (!pix)
        return imageReaderError(QStringLiteral("The image is too large to read."));
    pixSetResolution(pix.get(), 300, 300);

    const Result<Recognition> result =
        d->recognize(languages, settings.usesLanguageCorrection, pix.get(), requested, recognition.cancelled);
    if (!result.ok())
        return result.error();
    QList<TextObservation> observations;
    for (const QString &line : result.value().lines)
        observations << TextObservation{{line}};
    return observations;
}

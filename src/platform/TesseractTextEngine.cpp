#include "TesseractTextEngine.h"

#include "ChinesePunctuation.h"
#include "ChineseScriptChoice.h"
#include "ScreenImagePreparation.h"
#include "TessdataFolder.h"
#include "TesseractHandles.h"

#include <QFile>
#include <QImage>
#include <QtGlobal>

#include <tesseract/resultiterator.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#ifdef VELLORA_HAVE_OPENMP
#include <omp.h>
#endif

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

// ---------------------------------------------------------------------------
// OpenMP threads

int threadLimitFromEnvironment() {
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("OMP_THREAD_LIMIT", &ok);
    return ok && limit > 0 ? limit : 0;
}

// libgomp reads OMP_THREAD_LIMIT when it is loaded, which for a program linked
// against libtesseract is before main(). Where the environment sets no limit,
// the variable is still set (for libraries loaded later and child processes)
// and, for a limit of one, every OpenMP region is made inactive, which is the
// same limit applied at run time.
void applyThreadLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (threadLimitFromEnvironment() > 0)
            return;
        const int limit = TesseractTextEngine::defaultThreadLimit();
        qputenv("OMP_THREAD_LIMIT", QByteArray::number(limit));
#ifdef VELLORA_HAVE_OPENMP
        if (limit == 1)
            omp_set_max_active_levels(0);
#endif
    });
}

} // namespace

// ---------------------------------------------------------------------------

struct Recognition {
    QStringList lines;
};

struct TesseractTextEngine::Private {
    TesseractTextEngineOptions options;
    QString dataPath;
    QStringList installedModels;

    std::mutex poolMutex;
    // Initialised engines not in use, by language string and dictionary setting.
    std::map<QString, std::vector<TessBaseApiPointer>> idle;
    std::atomic<int> loads{0};

    ChineseScriptChoice scriptChoice;

    TessBaseApiPointer acquire(const QByteArray &languages, bool dictionaries, Error *error);
    Result<Recognition> recognizeOnce(const QByteArray &languages, bool dictionaries, PIX *pix);
    void release(const QByteArray &languages, bool dictionaries, TessBaseApiPointer api);
};

TessBaseApiPointer TesseractTextEngine::Private::acquire(const QByteArray &languages, bool dictionaries, Error *error) {
    const QString key = QString::fromLatin1(languages) + (dictionaries ? u'+' : u'-');
    {
        const std::lock_guard lock(poolMutex);
        auto &list = idle[key];
        if (!list.empty()) {
            TessBaseApiPointer api = std::move(list.back());
            list.pop_back();
            return api;
        }
    }
    // Loading takes a while; other threads keep recognising meanwhile.
    TessBaseApiPointer api(new tesseract::TessBaseAPI);
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (!dictionaries) {
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    const QByteArray path = QFile::encodeName(dataPath);
    const int status = api->Init(path.constData(), languages.constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names,
                                 &values, false);
    if (status != 0) {
        *error = engineError(1, QStringLiteral("Tesseract could not load the models “%1” from %2.")
                                    .arg(QString::fromLatin1(languages), dataPath));
        return nullptr;
    }
    ++loads;
    api->SetVariable("debug_file", "/dev/null");
    api->SetVariable("preserve_interword_spaces", "1");

    return api;
}

void TesseractTextEngine::Private::release(const QByteArray &languages, bool dictionaries, TessBaseApiPointer api) {
    api->Clear();
    const QString key = QString::fromLatin1(languages) + (dictionaries ? u'+' : u'-');
    const std::lock_guard lock(poolMutex);
    idle[key].push_back(std::move(api));
}

Result<Recognition> TesseractTextEngine::Private::recognizeOnce(const QByteArray &languages, bool dictionaries,
                                                                PIX *pix) {
    Error loadError;
    TessBaseApiPointer api = acquire(languages, dictionaries, &loadError);
    if (!api)
        return loadError;
    api->SetPageSegMode(static_cast<tesseract::PageSegMode>(options.pageSegmentationMode));
    api->SetImage(pix);
    if (api->Recognize(nullptr) != 0) {
        release(languages, dictionaries, std::move(api));
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
        }
    }
    release(languages, dictionaries, std::move(api));
    return recognition;
}

// ---------------------------------------------------------------------------

TesseractTextEngine::TesseractTextEngine()
    : TesseractTextEngine(TesseractTextEngineOptions()) {}

TesseractTextEngine::TesseractTextEngine(const TesseractTextEngineOptions &options)
    : d(std::make_unique<Private>()) {
    applyThreadLimit();
    d->options = options;
    d->dataPath = TessdataFolder::find(options.dataPath);
    d->installedModels = TessdataFolder::models(d->dataPath);
}

TesseractTextEngine::~TesseractTextEngine() = default;

int TesseractTextEngine::defaultThreadLimit() {
    return 1;
}

QString TesseractTextEngine::dataPath() const {
    return d->dataPath;
}

int TesseractTextEngine::modelLoadCount() const {
    return d->loads.load();
}

Result<QStringList> TesseractTextEngine::supportedRecognitionLanguages() {
    if (d->dataPath.isEmpty())
        return engineError(2, QStringLiteral("No Tesseract data folder with language models was found."));
    QStringList identifiers;
    for (const LanguageModel &language : languageModels) {
        if (d->installedModels.contains(QLatin1StringView(language.model)))
            identifiers << QString::fromUtf16(language.identifier);
    }
    return identifiers;
}

Result<QList<TextObservation>> TesseractTextEngine::run(const QImage &image, const TextRecognitionSettings &settings) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return imageReaderError(QStringLiteral("The image has no pixels."));
    if (!ScreenImagePreparation::isReadableFormat(image.format())) {
        return imageReaderError(
            QStringLiteral("The image reader cannot read pixel format %1.").arg(static_cast<int>(image.format())));
    }

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
    const QByteArray languages = models.join('+');

    ScreenImagePreparation::Options preparation;
    preparation.preprocess = d->options.preprocess;
    preparation.targetLineHeight = d->options.targetLineHeight;
    preparation.enlarge = settings.recognitionLevel == TextRecognitionSettings::Level::Accurate;
    const ScreenImagePreparation::Prepared prepared = ScreenImagePreparation::prepare(image, preparation);
    PixPointer pix = ScreenImagePreparation::toPix(prepared.image, prepared.margin);
    if (!pix)
        return imageReaderError(QStringLiteral("The image is too large to read."));
    pixSetResolution(pix.get(), 300, 300);

    Result<Recognition> recognition = d->recognizeOnce(models.join('+'), settings.usesLanguageCorrection, pix.get());
    if (!recognition.ok())
        return recognition.error();
    QStringList lines = recognition.value().lines;

    if (d->options.normalizeChinesePunctuation) {
        for (QString &line : lines)
            line = ChinesePunctuation::normalizeLine(line);
    }
    if (d->options.unifyChineseScript && (models.contains("chi_sim") || models.contains("chi_tra"))) {
        const QStringList unified = d->scriptChoice.unify(lines.join(u'\n')).split(u'\n');
        if (unified.size() == lines.size())
            lines = unified;
    }
    QList<TextObservation> observations;
    for (const QString &line : std::as_const(lines))
        observations << TextObservation{{line}};
    return observations;
}

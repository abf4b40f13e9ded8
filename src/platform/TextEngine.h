#pragma once

#include "Result.h"

#include <QList>
#include <QString>
#include <QStringList>

class QImage;

// How one recognition request is to be run. Language identifiers are BCP 47
// tags as TextRecognizer names them ("zh-Hans", "zh-Hant", "en-US").
struct TextRecognitionSettings {
    enum class Level { Accurate, Fast };

    Level recognitionLevel = Level::Accurate;
    // Let the language models' dictionaries correct what the engine read.
    bool usesLanguageCorrection = true;
    // Ordered by preference; empty leaves the choice to the engine.
    QStringList recognitionLanguages;
    bool automaticallyDetectsLanguage = true;
    // Run without any accelerator; the fallback after an image-reader failure.
    bool usesCPUOnly = false;

    friend bool operator==(const TextRecognitionSettings &, const TextRecognitionSettings &) = default;
};

// One piece of recognised text (a line), with its candidate readings, best first.
struct TextObservation {
    QStringList candidates;

    friend bool operator==(const TextObservation &, const TextObservation &) = default;
};

// An on-device text-recognition engine. TextRecognizer configures and runs it;
// the application constructs the real one and hands it down.
class TextEngine {
public:
    // The error domain and code of an engine that refused the pixel data of an
    // image; TextRecognizer retries once with a plain 8-bit copy on CPU only.
    static constexpr const char16_t *imageReaderErrorDomain = u"TextRecognition.CRImageReaderError";
    static constexpr qint64 imageReaderErrorCode = 1;

    TextEngine() = default;
    TextEngine(const TextEngine &) = delete;
    TextEngine &operator=(const TextEngine &) = delete;
    virtual ~TextEngine() = default;

    // The language identifiers this engine can recognise, or the Error of the
    // query. Any thread.
    virtual Result<QStringList> supportedRecognitionLanguages() = 0;

    // Recognises the text of one image: observations in reading order, or an
    // Error (the image-reader error above when the pixel data cannot be read).
    // Blocks for the whole recognition; any thread, several at once.
    virtual Result<QList<TextObservation>> run(const QImage &image, const TextRecognitionSettings &settings) = 0;
};

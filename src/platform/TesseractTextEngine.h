#pragma once

#include "TextEngine.h"

#include <QString>

#include <chrono>
#include <memory>

// Tuning of the Tesseract engine. The defaults are what the OCR quality bench
// (bench/ocr-quality) measured best; tests and the bench change them.
struct TesseractTextEngineOptions {
    // The folder that holds the *.traineddata models; empty finds it
    // ($TESSDATA_PREFIX, then the library's installed data folders).
    QString dataPath;
    // Tesseract's page segmentation mode (6: one uniform block of text).
    int pageSegmentationMode = 6;
    // Grey conversion, dark backgrounds made light, greyed-out text made
    // dark, grid lines removed, small text enlarged, a margin added.
    bool preprocess = true;
    // Text lines shorter than this (in pixels) are enlarged to about this height.
    int targetLineHeight = 40;
    // Chinese text turned into one script (OpenCC): the one whose forms match
    // the glyphs on the page, drawn in an installed font; without a clear
    // match, the one most characters were read in.
    bool unifyChineseScript = true;
    // ASCII punctuation between Chinese characters turned full-width, and the
    // spaces the engine puts between Chinese characters removed.
    bool normalizeChinesePunctuation = true;
    // How long one recognition may take from its request: past it the engine
    // stops reading words and returns those it has read, so a large region of
    // photo or noise does not hold the capture session. When loading the
    // models took most of it, the reading still gets up to two seconds after
    // the load.
    std::chrono::milliseconds timeLimit{std::chrono::milliseconds(2500)};
    // How long the models stay loaded after the last recognition; the next one
    // loads them again.
    std::chrono::milliseconds idleRelease{std::chrono::seconds(60)};
};

// The text engine on libtesseract 5 with the chi_sim, chi_tra and eng models.
// Recognitions run one after another on a thread of the engine's own, which
// keeps the loaded models for reuse until they have gone unused for a while.
class TesseractTextEngine final : public TextEngine {
public:
    TesseractTextEngine();
    explicit TesseractTextEngine(const TesseractTextEngineOptions &options);
    ~TesseractTextEngine() override;

    // The models found in the data folder, as language identifiers.
    Result<QStringList> supportedRecognitionLanguages() override;
    // Accepts 8-bit-per-channel images (grey, RGB, RGBX, ARGB, RGBA); any other
    // pixel format, or an image without pixels, is the image-reader error.
    Result<QList<TextObservation>> run(const QImage &image, const TextRecognitionSettings &settings) override;

    // The languages supportedRecognitionLanguages() gives for these options,
    // without an engine; reads the data folder only.
    static Result<QStringList> installedLanguages(const TesseractTextEngineOptions &options);
    // Whether run() takes the image's pixels: the image-reader error otherwise.
    static Result<void> checkReadable(const QImage &image);
    // The error of a cancelled recognition.
    static Error cancellation();

    // The data folder in use (empty when none was found).
    QString dataPath() const;
    // How many times this engine has loaded models so far (tests check reuse).
    int modelLoadCount() const;
    // Whether models, or the script tables used with them, are loaded now.
    bool holdsModels() const;

    // Which Chinese script the user reads most: its model reads each word
    // first, and a reading whose glyphs do not tell the script and that holds
    // both scripts equally is unified to it.
    // Words read alike by both models keep the first one's reading, so a
    // Traditional user gets fewer Traditional crops back in Simplified. The
    // default is Simplified. Any thread; recognitions started later use it.
    void setTraditionalChineseFirst(bool first);

    // Ends every recognition that runs or waits now: each fails with the
    // cancellation error (domain TextRecognition.Tesseract, code 4). Later
    // recognitions run normally. Any thread.
    void cancel();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "Result.h"

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

class QImage;
class TextEngine;

// Turns an image into plain text on this machine: the one place where
// recognition is configured (languages, accuracy, the single CPU-only retry).
// Stateless; the engine is constructed by the application and handed in, and
// must outlive every call, including the asynchronous ones.
class TextRecognizer final {
public:
    TextRecognizer() = delete;

    // "zh-Hans", "zh-Hant", "en-US", in this order of preference.
    static QStringList preferredLanguages();

    // The recognised lines joined with "\n" and trimmed at both ends, or the
    // engine's Error unchanged; "" when the image holds no text. A missing or
    // undecodable file fails with an Error that says so. Blocks; any thread.
    static Result<QString> recognize(TextEngine &engine, const QString &imagePath);
    static Result<QString> recognize(TextEngine &engine, const QImage &image);

    // The image in the file at path, given as the system's bytes (a file name
    // need not be valid UTF-8; a relative path starts in the current folder),
    // turned as its orientation says and read in sRGB. Fails with domain
    // "TextRecognition.ImageFile" and code 1 for a missing file, 2 for one that
    // cannot be read, 3 for one that is not a readable image, 4 for one over
    // ImageDecoding::MaximumPixels. Blocks; any thread.
    static Result<QImage> decodeFile(const QByteArray &path);

    // recognize() on the global thread pool, never on the caller's thread.
    static QFuture<Result<QString>> recognizeAsync(TextEngine &engine, const QImage &image);

    // Runs the engine once over a small sample so that later recognitions find
    // its models loaded. True when the engine returned at least one
    // observation; false when it failed or no QGuiApplication exists (drawing
    // the sample needs fonts). Never fails; blocks; any thread.
    static bool prewarm(TextEngine &engine);
    // prewarm() on the global thread pool at low priority; returns at once.
    static void prewarmAsync(TextEngine &engine);
};

#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// The one long-lived thread on which an engine runs Tesseract. It keeps the
// loaded models between jobs and lets them go after a while without work, so
// an idle application holds little memory; and it limits Tesseract's OpenMP
// threads on itself, where the limit takes effect.
class TesseractWorker final {
    struct Private;

public:
    struct Options {
        // The folder of the *.traineddata models.
        QString dataPath;
        // How long the models stay loaded after the last job.
        std::chrono::milliseconds idleRelease{std::chrono::seconds(60)};
        // Called on the worker thread as the models go, before the freed
        // memory is handed back: what else the caller keeps for recognitions
        // can go with them.
        std::function<void()> released;
    };

    // What a job works with, on the worker thread.
    class Context {
    public:
        // The engine initialised for languages ("chi_sim+eng"), with or without
        // the models' dictionaries, loaded on first use; null with an Error
        // when the models cannot be loaded.
        tesseract::TessBaseAPI *engine(const QByteArray &languages, bool dictionaries, Error *error);

    private:
        friend class TesseractWorker;
        Context() = default;
        Private *m_worker = nullptr;
    };
    using Job = std::function<void(Context &)>;

    explicit TesseractWorker(const Options &options);
    // Runs what is queued and ends the thread.
    ~TesseractWorker();
    TesseractWorker(const TesseractWorker &) = delete;
    TesseractWorker &operator=(const TesseractWorker &) = delete;

    // Runs job on the worker thread after the jobs queued before it, and
    // returns once it has run. An exception from the job is thrown here.
    // Any thread but the worker's own.
    void run(const Job &job);

    // How many times models have been loaded so far.
    int loadCount() const;
    // Whether models are loaded now.
    bool holdsModels() const;

    // The OpenMP thread limit for recognition: OMP_THREAD_LIMIT when the
    // environment sets one, otherwise 1 (measured best on two cores).
    static int threadLimit();

private:
    std::unique_ptr<Private> d;
};

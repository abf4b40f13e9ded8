#pragma once

#include "TextEngine.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

struct TextEngineProcessOptions {
    // The program that serves recognitions on its standard input (see
    // TextEngineService), and its arguments.
    QString program;
    QStringList arguments;
    // How long the process stays after the last recognition. Ending it gives
    // back all that recognition took: the models, the library's own memory
    // and the pages of its code.
    std::chrono::milliseconds idleEnd{std::chrono::seconds(60)};
    // How long one answer may take before the process counts as stuck and is
    // ended. The engine stops reading at its own time limit long before.
    std::chrono::milliseconds answerLimit{std::chrono::seconds(30)};
};

// The Tesseract engine in a process of its own, started at the first
// recognition and ended once it has gone unused for a while. The application
// keeps none of the engine's memory between captures, and a fault in the
// engine fails one recognition instead of ending the application.
// Recognitions run one after another; several threads may ask at once.
class TextEngineProcess final : public TextEngine {
public:
    explicit TextEngineProcess(const TextEngineProcessOptions &options);
    // Ends the process.
    ~TextEngineProcess() override;

    // From the data folder the process finds (the engine's default search),
    // without starting the process.
    Result<QStringList> supportedRecognitionLanguages() override;
    // Besides the engine's own errors: TextRecognition.Process code 1 when
    // the process cannot be started, 2 when it ended without an answer, 3
    // when it did not answer in time. The engine's cancellation error after
    // cancel().
    Result<QList<TextObservation>> run(const QImage &image, const TextRecognitionSettings &settings) override;

    // As TesseractTextEngine::setTraditionalChineseFirst. Any thread.
    void setTraditionalChineseFirst(bool first);
    // Ends every recognition that runs or waits now, each with the engine's
    // cancellation error; the process is ended with them. Later recognitions
    // run normally. Any thread.
    void cancel();

    // The process's id while one runs, otherwise 0.
    qint64 processId() const;
    // How many processes have been started so far.
    int processStarts() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "TextEngine.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

// A TextEngine that answers from a script and records every request, for the
// rules TextRecognizer applies around an engine (language choice, joining,
// retry). Never stands in for recognition itself: that is tested on Tesseract.
class ScriptedTextEngine final : public TextEngine {
public:
    struct Call {
        QImage image;
        TextRecognitionSettings settings;
        QThread *thread = nullptr;
    };

    explicit ScriptedTextEngine(Result<QStringList> supported = QStringList{"zh-Hans", "zh-Hant", "en-US"})
        : m_supported(std::move(supported)) {}

    // The answers of the next runs, in order; a run past the end gets no
    // observations.
    void script(QList<Result<QList<TextObservation>>> answers) {
        const QMutexLocker lock(&m_mutex);
        m_answers = std::move(answers);
    }

    QList<Call> calls() const {
        const QMutexLocker lock(&m_mutex);
        return m_calls;
    }

    Result<QStringList> supportedRecognitionLanguages() override { return m_supported; }

    Result<QList<TextObservation>> run(const QImage &image, const TextRecognitionSettings &settings) override {
        const QMutexLocker lock(&m_mutex);
        m_calls << Call{image, settings, QThread::currentThread()};
        if (m_answers.isEmpty())
            return QList<TextObservation>();
        return m_answers.takeFirst();
    }

    static QList<TextObservation> lines(const QStringList &texts) {
        QList<TextObservation> observations;
        for (const QString &text : texts)
            observations << TextObservation{{text}};
        return observations;
    }

private:
    mutable QMutex m_mutex;
    Result<QStringList> m_supported;
    QList<Result<QList<TextObservation>>> m_answers;
    QList<Call> m_calls;
};

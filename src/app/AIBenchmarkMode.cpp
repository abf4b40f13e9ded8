#include "AIBenchmarkMode.h"

#include "AIKeychain.h"
#include "AIServiceDefaults.h"
#include "TextMetrics.h"
#include "TextPolisher.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QTimer>

namespace AIBenchmarkMode {

QString sampleText() {
    return QStringLiteral("这是一段用于测试 OCR 润色速度的示例文字，请修正错别字和标点。");
}

QString samplePrompt() {
    return QStringLiteral("只修正错别字和标点，保留原意，只输出修正后的文字。");
}

int run(SecretStore &store, const UserDefaults &defaults, QNetworkAccessManager &session, QIODevice &output,
        QIODevice &errorOutput) {
    const auto fail = [&errorOutput](const Error &error) {
        errorOutput.write("AI benchmark failed: " + error.description.toUtf8() + '\n');
        QCoreApplication::exit(1);
    };

    // The work starts once the event loop runs and ends the loop itself.
    QTimer::singleShot(0, &session, [&, fail] {
        const Result<std::optional<QString>> key = AIKeychain::read(store);
        if (!key.ok())
            return fail(key.error());
        if (!key.value())
            return fail(Error{QStringLiteral("Vellora"), 1, QStringLiteral("请先保存 AI Key。")});

        const double start = TextMetrics::monotonicSeconds();
        const QString baseURL = defaults.string(QStringLiteral("aiBaseURL")).value_or(AIServiceDefaults::baseURL());
        const QString model = defaults.string(QStringLiteral("aiModel")).value_or(AIServiceDefaults::model());
        TextPolisher::polish(sampleText(), baseURL, model, samplePrompt(), *key.value(), &session)
            .then(&session,
                  [&, fail, start](const Result<QString> &polished) {
                      if (!polished.ok())
                          return fail(polished.error());
                      const double elapsed = TextMetrics::monotonicSeconds() - start;
                      output.write("ai_seconds=" + TextMetrics::formatSeconds(elapsed).toUtf8() +
                                   " output_characters=" +
                                   QByteArray::number(TextMetrics::graphemeCount(polished.value())) + '\n');
                      QCoreApplication::exit(0);
                  })
            .onCanceled(&session, [fail] {
                fail(Error{QStringLiteral("Vellora.AI"), 1, QStringLiteral("The request was cancelled.")});
            });
    });
    return QCoreApplication::exec();
}

} // namespace AIBenchmarkMode

#pragma once

#include <QString>

class QIODevice;
class QNetworkAccessManager;
class SecretStore;
class UserDefaults;

// --benchmark-ai: one fixed polishing request to the configured AI service,
// timed. Its messages are fixed texts, never translated.
namespace AIBenchmarkMode {

// The sample and the instructions it is polished with; not the user's prompt.
QString sampleText();
QString samplePrompt();

// Reads the key from store and the service address and model from the stored
// defaults ("aiBaseURL", "aiModel", with the built-in fallbacks; a stored empty
// value is used as stored), polishes the sample through session and prints
// "ai_seconds=… output_characters=…" on output (0), or one
// "AI benchmark failed: …" line on errorOutput (1). Runs the work on the
// QCoreApplication's event loop and returns the status that the work ends it
// with. Without a stored key nothing is sent.
int run(SecretStore &store, const UserDefaults &defaults, QNetworkAccessManager &session, QIODevice &output,
        QIODevice &errorOutput);

} // namespace AIBenchmarkMode

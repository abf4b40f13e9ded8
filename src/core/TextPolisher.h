#pragma once

#include "Result.h"

#include <QFuture>
#include <QString>

#include <chrono>

class QNetworkAccessManager;

// Sends recognised text to an OpenAI-compatible chat-completions service and
// gives back the service's rewrite. Every failure becomes one short Error that a
// caller can show as it stands: the client's own ones have domain "Vellora.AI",
// code 1, and a Simplified-Chinese description that is a key of the
// localisation lookup (the caller translates it when it shows it); transport
// and JSON failures carry Qt's own wording. No error ever contains the key or
// the request body.
namespace TextPolisher {

inline constexpr std::chrono::milliseconds requestTimeout{60000};

// Polishes text with prompt as the system message, through session. The result
// is the first choice's content trimmed at both ends, never empty. Checks of the
// address, model and key fail at once; otherwise one POST to
// <baseURL>/chat/completions runs asynchronously on session's thread, bounded by
// timeout as a whole. Must be called on session's thread (the GUI thread for the
// application's shared session); never blocks it. Extra certificate authorities
// from the PEM file named by VELLORA_EXTRA_CA_CERTS are trusted besides the
// system's.
QFuture<Result<QString>> polish(const QString &text, const QString &baseURL, const QString &model,
                                const QString &prompt, const QString &key, QNetworkAccessManager *session,
                                std::chrono::milliseconds timeout = requestTimeout);

} // namespace TextPolisher

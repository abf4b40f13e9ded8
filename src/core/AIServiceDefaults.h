#pragma once

#include <QString>

// The AI service that a fresh installation talks to. The preferences store and
// the AI benchmark fall back to these when nothing is stored.
namespace AIServiceDefaults {

// DeepSeek's OpenAI-compatible API root.
inline QString baseURL() {
    return QStringLiteral("https://api.deepseek.com/v1");
}

inline QString model() {
    return QStringLiteral("deepseek-v4-flash");
}

} // namespace AIServiceDefaults

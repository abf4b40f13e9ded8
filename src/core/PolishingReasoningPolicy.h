#pragma once

#include <QString>

// Chooses the one request switch that turns a model's reasoning phase off, from
// the service's host and the model name. Polishing a few lines needs no
// reasoning, and the answer comes much sooner without it. Unknown hosts and
// models get no switch, so an unrecognised service receives a plain request.
namespace PolishingReasoningPolicy {

enum class Control {
    thinkingDisabled,    // "thinking": {"type": "disabled"}
    enableThinkingFalse, // "enable_thinking": false
    reasoningEffortNone, // "reasoning_effort": "none"
    reasoningDisabled,   // "reasoning": {"enabled": false}
    unchanged,           // nothing added
};

// host: the host of the validated service address (empty if it has none);
// model: the trimmed model identifier. Pure; never fails.
Control control(const QString &host, const QString &model);

} // namespace PolishingReasoningPolicy

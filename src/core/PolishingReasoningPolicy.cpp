#include "PolishingReasoningPolicy.h"

#include <QStringView>

#include <array>

namespace PolishingReasoningPolicy {
namespace {

// The providers' documented API hosts, lower case.
constexpr QStringView deepSeekHost = u"api.deepseek.com";
constexpr QStringView openAIHost = u"api.openai.com";
constexpr QStringView geminiHost = u"generativelanguage.googleapis.com";
constexpr QStringView dashScopeMainlandHost = u"dashscope.aliyuncs.com";
constexpr QStringView dashScopeInternationalHost = u"dashscope-intl.aliyuncs.com";
// Workspace-dedicated Model Studio hosts: <workspace>.<region>.maas.aliyuncs.com.
constexpr QStringView modelStudioHostSuffix = u".maas.aliyuncs.com";
constexpr QStringView moonshotInternationalHost = u"api.moonshot.ai";
constexpr QStringView moonshotMainlandHost = u"api.moonshot.cn";
constexpr QStringView anthropicHost = u"api.anthropic.com";
constexpr QStringView miniMaxInternationalHost = u"api.minimax.io";
constexpr QStringView miniMaxMainlandHost = u"api.minimaxi.com";
constexpr QStringView zhipuInternationalHost = u"api.z.ai";
constexpr QStringView zhipuMainlandHost = u"open.bigmodel.cn";
constexpr QStringView openRouterSiteHost = u"openrouter.ai";
constexpr QStringView openRouterAPIHost = u"api.openrouter.ai";

constexpr std::array<QStringView, 6> glmFamily = {u"glm-4.5", u"glm-4.6", u"glm-4.7", u"glm-5", u"glm-5.1", u"glm-5.2"};

// Every model test below takes a lowercased model name.

bool supportsDeepSeekFastMode(QStringView model) {
    if (model.contains(u"vision"))
        return false;
    return model == u"deepseek-flash" || model == u"deepseek-chat" || model.startsWith(u"deepseek-v4-flash") ||
           model.startsWith(u"deepseek-v4-pro");
}

bool supportsOpenAIFastMode(QStringView model) {
    if (model.contains(u"-pro") || model.contains(u"-codex") || model.contains(u"-chat"))
        return false;
    if (model.startsWith(u"gpt-6-sol") || model.startsWith(u"gpt-6-luna"))
        return true;
    constexpr QStringView gpt5 = u"gpt-5.";
    if (!model.startsWith(gpt5))
        return false;
    const QStringView afterPrefix = model.sliced(gpt5.size());
    qsizetype runLength = 0;
    while (runLength < afterPrefix.size() && afterPrefix.at(runLength).isNumber())
        ++runLength;
    const QStringView run = afterPrefix.first(runLength);
    if (run.isEmpty())
        return false;
    // Only ASCII digits read as a decimal integer; other numeric characters do not.
    for (QChar c : run) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool ok = false;
    const int minor = run.toInt(&ok);
    if (!ok || minor < 1 || minor > 6)
        return false;
    const QStringView rest = afterPrefix.sliced(runLength);
    return rest.isEmpty() || rest.startsWith(u'-');
}

bool supportsQwenFastMode(QStringView model) {
    return model.startsWith(u"qwen3") && !model.contains(u"thinking") && !model.contains(u"coder");
}

bool supportsGLMFastMode(QStringView model) {
    for (QStringView entry : glmFamily) {
        if (model == entry || (model.startsWith(entry) && model.sliced(entry.size()).startsWith(u'-')))
            return true;
    }
    return false;
}

bool supportsKimiFastMode(QStringView model) {
    return model.startsWith(u"kimi-k2.5") && !model.contains(u"thinking");
}

bool supportsGeminiFastMode(QStringView model) {
    return model.startsWith(u"gemini-2.5-flash") && !model.contains(u"image");
}

// DashScope serves models of several families; each family's own test applies
// to its bare model name.
bool supportsAlibabaFastMode(QStringView model) {
    return supportsQwenFastMode(model) || supportsDeepSeekFastMode(model) || supportsKimiFastMode(model) ||
           supportsGLMFastMode(model);
}

// OpenRouter names models vendor/name; leading slashes are ignored and the name
// is everything after the first slash that follows the vendor.
Control openRouterControl(QStringView model) {
    qsizetype start = 0;
    while (start < model.size() && model.at(start) == u'/')
        ++start;
    const qsizetype slash = model.indexOf(u'/', start);
    if (slash < 0)
        return Control::unchanged;
    const QStringView vendor = model.sliced(start, slash - start);
    const QStringView name = model.sliced(slash + 1);
    if (name.isEmpty())
        return Control::unchanged;

    bool fast = false;
    if (vendor == u"deepseek")
        fast = supportsDeepSeekFastMode(name);
    else if (vendor == u"openai")
        fast = supportsOpenAIFastMode(name);
    else if (vendor == u"google")
        fast = supportsGeminiFastMode(name);
    else if (vendor == u"qwen" || vendor == u"alibaba")
        fast = supportsQwenFastMode(name);
    else if (vendor == u"moonshotai" || vendor == u"moonshot")
        fast = supportsKimiFastMode(name);
    else if (vendor == u"anthropic")
        fast = name == u"claude-sonnet-5";
    else if (vendor == u"minimax")
        fast = name == u"minimax-m3";
    else if (vendor == u"z-ai")
        fast = supportsGLMFastMode(name);
    return fast ? Control::reasoningDisabled : Control::unchanged;
}

Control when(bool fast, Control control) {
    return fast ? control : Control::unchanged;
}

} // namespace

Control control(const QString &host, const QString &model) {
    const QString h = host.toLower();
    const QString m = model.toLower();

    if (h == deepSeekHost)
        return when(supportsDeepSeekFastMode(m), Control::thinkingDisabled);
    if (h == openAIHost)
        return when(supportsOpenAIFastMode(m), Control::reasoningEffortNone);
    if (h == geminiHost)
        return when(supportsGeminiFastMode(m), Control::reasoningEffortNone);
    if (h == dashScopeMainlandHost || h == dashScopeInternationalHost || h.endsWith(modelStudioHostSuffix)) {
        if (m == u"minimax-m3")
            return Control::thinkingDisabled;
        return when(supportsAlibabaFastMode(m), Control::enableThinkingFalse);
    }
    if (h == moonshotInternationalHost || h == moonshotMainlandHost)
        return when(supportsKimiFastMode(m), Control::thinkingDisabled);
    if (h == anthropicHost)
        return when(m == u"claude-sonnet-5", Control::thinkingDisabled);
    if (h == miniMaxInternationalHost || h == miniMaxMainlandHost)
        return when(m == u"minimax-m3", Control::thinkingDisabled);
    if (h == zhipuInternationalHost || h == zhipuMainlandHost)
        return when(supportsGLMFastMode(m), Control::thinkingDisabled);
    if (h == openRouterSiteHost || h == openRouterAPIHost)
        return openRouterControl(m);
    return Control::unchanged;
}

} // namespace PolishingReasoningPolicy

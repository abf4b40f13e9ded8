#include "PolishingReasoningPolicy.h"

#include <QTest>

using PolishingReasoningPolicy::Control;

Q_DECLARE_METATYPE(PolishingReasoningPolicy::Control)

class TestPolishingReasoningPolicy final : public QObject {
    Q_OBJECT

private slots:
    void control_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("model");
        QTest::addColumn<Control>("expected");

        const auto row = [](const char *name, const char *host, const char *model, Control expected) {
            QTest::newRow(name) << QString::fromUtf8(host) << QString::fromUtf8(model) << expected;
        };
        constexpr auto thinking = Control::thinkingDisabled;
        constexpr auto enable = Control::enableThinkingFalse;
        constexpr auto effort = Control::reasoningEffortNone;
        constexpr auto reasoning = Control::reasoningDisabled;
        constexpr auto none = Control::unchanged;

        // Host and model are lowercased first.
        row("capitals in host and model", "API.DeepSeek.COM", "DeepSeek-Chat", thinking);

        // DeepSeek
        row("deepseek chat", "api.deepseek.com", "deepseek-chat", thinking);
        row("deepseek flash", "api.deepseek.com", "deepseek-flash", thinking);
        row("deepseek v4 flash", "api.deepseek.com", "deepseek-v4-flash", thinking);
        row("deepseek v4 flash any suffix", "api.deepseek.com", "deepseek-v4-flash-2026x", thinking);
        row("deepseek v4 pro suffix", "api.deepseek.com", "deepseek-v4-pro-latest", thinking);
        row("deepseek vision excluded", "api.deepseek.com", "deepseek-v4-pro-vision", none);
        row("deepseek chat is exact", "api.deepseek.com", "deepseek-chat-2", none);
        row("deepseek reasoner", "api.deepseek.com", "deepseek-reasoner", none);

        // OpenAI
        row("gpt-5.1", "api.openai.com", "gpt-5.1", effort);
        row("gpt-5.4-mini", "api.openai.com", "gpt-5.4-mini", effort);
        row("gpt-5.6 upper bound", "api.openai.com", "gpt-5.6", effort);
        row("gpt-5.01 reads as one", "api.openai.com", "gpt-5.01", effort);
        row("gpt-5.10 over six", "api.openai.com", "gpt-5.10", none);
        row("gpt-5.7 over six", "api.openai.com", "gpt-5.7", none);
        row("gpt-5.0", "api.openai.com", "gpt-5.0", none);
        row("gpt-5 without dot", "api.openai.com", "gpt-5", none);
        row("gpt-5. without digits", "api.openai.com", "gpt-5.", none);
        row("gpt-5.4o letter follows", "api.openai.com", "gpt-5.4o", none);
        row("gpt-5.4 full-width digit", "api.openai.com", "gpt-5.４", none);
        row("gpt-5.4 arabic-indic digit", "api.openai.com", "gpt-5.٤", none);
        row("gpt-5.4 huge run", "api.openai.com", "gpt-5.99999999999999999999", none);
        row("gpt-5.4-pro excluded", "api.openai.com", "gpt-5.4-pro", none);
        row("gpt-5.2-codex excluded", "api.openai.com", "gpt-5.2-codex", none);
        row("gpt-5.3-chat excluded", "api.openai.com", "gpt-5.3-chat-latest", none);
        row("gpt-6-luna suffix", "api.openai.com", "gpt-6-luna-mini-2026", effort);
        row("gpt-6-sol", "api.openai.com", "gpt-6-sol", effort);
        row("gpt-6-luna-pro excluded", "api.openai.com", "gpt-6-luna-pro", none);
        row("gpt-4o", "api.openai.com", "gpt-4o", none);

        // Gemini
        row("gemini flash", "generativelanguage.googleapis.com", "gemini-2.5-flash", effort);
        row("gemini flash lite", "generativelanguage.googleapis.com", "gemini-2.5-flash-lite", effort);
        row("gemini flash image", "generativelanguage.googleapis.com", "gemini-2.5-flash-image", none);
        row("gemini pro", "generativelanguage.googleapis.com", "gemini-2.5-pro", none);

        // DashScope and Model Studio
        row("dashscope minimax-m3", "dashscope.aliyuncs.com", "minimax-m3", thinking);
        row("dashscope qwen3", "dashscope.aliyuncs.com", "qwen3-max", enable);
        row("dashscope qwen3 thinking", "dashscope.aliyuncs.com", "qwen3-235b-a22b-thinking-2507", none);
        row("dashscope qwen3 coder", "dashscope-intl.aliyuncs.com", "qwen3-coder-plus", none);
        row("dashscope qwen2.5", "dashscope.aliyuncs.com", "qwen2.5-72b-instruct", none);
        row("dashscope deepseek", "dashscope.aliyuncs.com", "deepseek-v4-flash", enable);
        row("dashscope kimi", "dashscope-intl.aliyuncs.com", "kimi-k2.5", enable);
        row("dashscope kimi thinking", "dashscope.aliyuncs.com", "kimi-k2.5-thinking", none);
        row("dashscope glm-5.1", "dashscope.aliyuncs.com", "glm-5.1", enable);
        row("dashscope glm-5 dash suffix", "dashscope.aliyuncs.com", "glm-5-air", enable);
        row("dashscope glm-50", "dashscope.aliyuncs.com", "glm-50", none);
        row("model studio dedicated host", "ws-abc.cn-beijing.maas.aliyuncs.com", "qwen3-plus", enable);
        row("model studio domain itself", "maas.aliyuncs.com", "qwen3-plus", none);
        row("model studio lookalike", "evilmaas.aliyuncs.com", "qwen3-plus", none);

        // Moonshot
        row("moonshot international", "api.moonshot.ai", "kimi-k2.5", thinking);
        row("moonshot mainland suffix", "api.moonshot.cn", "kimi-k2.5-preview", thinking);
        row("moonshot thinking", "api.moonshot.ai", "kimi-k2.5-thinking", none);
        row("moonshot k2", "api.moonshot.cn", "kimi-k2-0905", none);

        // Anthropic
        row("anthropic exact", "api.anthropic.com", "claude-sonnet-5", thinking);
        row("anthropic suffix", "api.anthropic.com", "claude-sonnet-5-20260101", none);

        // MiniMax
        row("minimax international", "api.minimax.io", "MiniMax-M3", thinking);
        row("minimax mainland", "api.minimaxi.com", "minimax-m3", thinking);
        row("minimax other", "api.minimax.io", "minimax-m2.7", none);

        // Zhipu
        row("zhipu glm-4.5", "api.z.ai", "glm-4.5", thinking);
        row("zhipu glm-4.6 air", "open.bigmodel.cn", "glm-4.6-air", thinking);
        row("zhipu glm-5.2", "open.bigmodel.cn", "glm-5.2", thinking);
        row("zhipu glm-5.3", "api.z.ai", "glm-5.3", none);
        row("zhipu glm-4.5v", "api.z.ai", "glm-4.5v", none);
        row("zhipu glm-4", "api.z.ai", "glm-4-plus", none);

        // OpenRouter
        row("router openai", "openrouter.ai", "openai/gpt-5.1", reasoning);
        row("router api host", "api.openrouter.ai", "openai/gpt-5.4-mini", reasoning);
        row("router bare name", "openrouter.ai", "gpt-5.1", none);
        row("router leading slash", "openrouter.ai", "/openai/gpt-5.1", reasoning);
        row("router double slash after vendor", "openrouter.ai", "openai//gpt-5.1", none);
        row("router empty name", "openrouter.ai", "openai/", none);
        row("router unknown vendor", "openrouter.ai", "mistralai/gpt-5.1", none);
        row("router deepseek", "openrouter.ai", "deepseek/deepseek-chat", reasoning);
        row("router google flash", "openrouter.ai", "google/gemini-2.5-flash", reasoning);
        row("router google image", "openrouter.ai", "google/gemini-2.5-flash-image-preview", none);
        row("router qwen", "openrouter.ai", "qwen/qwen3-235b-a22b", reasoning);
        row("router alibaba coder", "openrouter.ai", "alibaba/qwen3-coder", none);
        row("router qwen is not alibaba", "openrouter.ai", "qwen/deepseek-chat", none);
        row("router moonshotai", "openrouter.ai", "moonshotai/kimi-k2.5", reasoning);
        row("router moonshot thinking", "openrouter.ai", "moonshot/kimi-k2.5-thinking", none);
        row("router anthropic", "openrouter.ai", "anthropic/claude-sonnet-5", reasoning);
        row("router minimax", "openrouter.ai", "minimax/minimax-m3", reasoning);
        row("router z-ai", "openrouter.ai", "z-ai/glm-4.7", reasoning);
        row("router name with slash", "openrouter.ai", "z-ai/glm-4.7/extra", none);

        // Anything else.
        row("unknown host", "api.example.com", "deepseek-chat", none);
        row("empty host", "", "gpt-5.1", none);
        row("host is a suffix only", "xapi.deepseek.com", "deepseek-chat", none);
        row("localhost", "127.0.0.1", "deepseek-v4-flash", none);
    }

    void control() {
        QFETCH(QString, host);
        QFETCH(QString, model);
        QFETCH(Control, expected);
        QCOMPARE(PolishingReasoningPolicy::control(host, model), expected);
    }
};

QTEST_APPLESS_MAIN(TestPolishingReasoningPolicy)
#include "TestPolishingReasoningPolicy.moc"

#pragma once

#include <QString>

#include <memory>
#include <optional>

// Chooses between Simplified and Traditional Chinese for recognised text.
class ChineseScriptChoice final {
public:
    ChineseScriptChoice();
    ~ChineseScriptChoice();
    ChineseScriptChoice(const ChineseScriptChoice &) = delete;
    ChineseScriptChoice &operator=(const ChineseScriptChoice &) = delete;

    enum class Script { Simplified, Traditional };

    // The text turned into the script most of its Han characters are written
    // in, or into `tie` when both are as common; unchanged when it holds
    // characters of one script only, or when the conversion tables cannot be
    // loaded. Any thread.
    QString unify(const QString &text, Script tie = Script::Simplified);
    // The text with every character written in `script`; unchanged when the
    // conversion tables cannot be loaded. Any thread.
    QString into(const QString &text, Script script);
    // A character's two forms, when the scripts write it differently (说 and
    // 說 for either). Any thread.
    struct Forms {
        char32_t simplified;
        char32_t traditional;
    };
    std::optional<Forms> forms(char32_t c);

    // Closes the conversion tables (about 9 MB) until unify() needs them
    // again. Any thread.
    void release();
    // Whether the conversion tables are open now.
    bool holdsTables() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

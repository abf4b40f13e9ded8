#pragma once

#include <QString>

#include <memory>

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

    // Closes the conversion tables (about 9 MB) until unify() needs them
    // again. Any thread.
    void release();
    // Whether the conversion tables are open now.
    bool holdsTables() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

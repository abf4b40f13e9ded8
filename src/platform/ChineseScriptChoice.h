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

    // The text turned into the script most of its Han characters are written
    // in; unchanged when it holds characters of one script only, or when the
    // conversion tables cannot be loaded. Any thread.
    QString unify(const QString &text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

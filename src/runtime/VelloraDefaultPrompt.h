#pragma once

#include <QString>
#include <QStringList>

// The built-in polishing prompts in the three interface languages, and the
// defaults of earlier versions that are replaced when met again.
class VelloraDefaultPrompt final {
public:
    VelloraDefaultPrompt() = delete;

    static QString simplified();
    static QString traditional();
    static QString english();

    // The current default for a language preference ("system", "zh-Hans", "zh-Hant", "en", …).
    // "system" reads the user's preferred UI languages.
    static QString forLanguage(const QString &language);
    // forLanguage() with the preferred languages given, so it can be tested.
    static QString forLanguage(const QString &language, const QStringList &preferredLanguages);

    // A legacy default becomes forLanguage(language); any other prompt is returned unchanged.
    static QString migrate(const QString &prompt, const QString &language);

    // The current three defaults, then the three legacy ones.
    static QStringList all();
    static QStringList legacy();
};

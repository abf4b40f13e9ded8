#include "LaunchOptions.h"

LaunchOptions LaunchOptions::parse(const QStringList &arguments)
{
    LaunchOptions options;
    for (const QString &argument : arguments) {
        if (argument.startsWith(QLatin1String("--open-settings")))
            options.openSettings = true;
    }
    if (arguments.contains(QLatin1String("--open-settings-ai")))
        options.initialTab = 1;
    else if (arguments.contains(QLatin1String("--open-settings-appearance")))
        options.initialTab = 2;
    else if (arguments.contains(QLatin1String("--open-settings-updates")))
        options.initialTab = 3;

    const qsizetype screenshot = arguments.indexOf(QLatin1String("--settings-screenshot"));
    if (screenshot >= 0 && screenshot + 1 < arguments.size())
        options.screenshotPath = arguments.at(screenshot + 1);
    options.previewToast = arguments.contains(QLatin1String("--preview-toast"));
    return options;
}

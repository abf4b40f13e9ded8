#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The options the running application reads from its arguments.
struct LaunchOptions {
    // Whether the settings window is shown at launch, and at which tab
    // (0 General, 1 AI polish, 2 Appearance, 3 Updates).
    bool openSettings = false;
    int initialTab = 0;
    // Where the settings window's content is written as PNG a second after launch.
    std::optional<QString> screenshotPath;
    // A copied toast at launch, and result toasts that stay a minute.
    bool previewToast = false;

    // Any argument beginning with --open-settings opens the window; of the tab
    // options, AI polish wins over Appearance, which wins over Updates.
    static LaunchOptions parse(const QStringList &arguments);
};

#pragma once

#include "NativeUpdateManifest.h"

#include <QString>
#include <QStringList>

#include <optional>

// A question the updater asks (or a notice it shows): pressing `primary` is
// the answer true; `secondary`, or closing the window, is false.
struct NativeUpdatePrompt {
    QString title;
    QString detail;
    // Markdown; absent or blank shows nothing.
    std::optional<QString> releaseNotes;
    QString primary;
    std::optional<QString> secondary;

    // "Vellora 2.0 is available": download now, or later.
    static NativeUpdatePrompt available(const NativeUpdateManifest &manifest, const QString &appName,
                                        const std::optional<QStringList> &preferredLanguages);
    // "Vellora 2.0 is ready": restart now, or later.
    static NativeUpdatePrompt ready(const NativeUpdateManifest &manifest, const QString &appName,
                                    const std::optional<QStringList> &preferredLanguages);
    // A notice with a single "OK" button.
    static NativeUpdatePrompt message(const QString &text, const std::optional<QStringList> &preferredLanguages);

    friend bool operator==(const NativeUpdatePrompt &, const NativeUpdatePrompt &) = default;
};

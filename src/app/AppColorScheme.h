#pragma once

#include "VelloraPreferences.h"

#include <QObject>
#include <QPalette>

#include <optional>

class QDBusPendingCallWatcher;
class QDBusVariant;

// Applies the colour mode to the whole application: the Fusion style with a
// light or a dark palette. "System" follows the desktop's colour-scheme
// setting (the XDG desktop portal's org.freedesktop.appearance color-scheme,
// read asynchronously and followed when it changes); where no portal answers,
// it follows the lightness of the platform theme's own palette.
// Install it with VelloraPreferences::setColorSchemeApplier. GUI thread only.
class AppColorScheme final : public QObject {
    Q_OBJECT

public:
    explicit AppColorScheme(QObject *parent = nullptr);
    ~AppColorScheme() override;

    void apply(VelloraPreferences::ColorScheme scheme);

    // The scheme that apply() last put on screen: Light or Dark.
    VelloraPreferences::ColorScheme effectiveScheme() const { return m_effective; }

    static QPalette lightPalette();
    static QPalette darkPalette();

signals:
    // The desktop's preference changed while "system" is chosen, and the
    // palette followed it.
    void effectiveSchemeChanged();

private slots:
    // QtDBus connects signals by signature only (no function-pointer form).
    void onPortalSettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    void onPortalReadFinished(QDBusPendingCallWatcher *watcher);
    void setDesktopPreference(std::optional<bool> prefersDark);
    void refresh();

    VelloraPreferences::ColorScheme m_requested = VelloraPreferences::ColorScheme::System;
    VelloraPreferences::ColorScheme m_effective = VelloraPreferences::ColorScheme::Light;
    bool m_applied = false;
    QPalette m_platformPalette;
    // Empty until the portal answers, or when it states no preference.
    std::optional<bool> m_desktopPrefersDark;
};

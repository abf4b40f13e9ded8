#include "AppColorScheme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStyle>
#include <QStyleFactory>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// The portal's color-scheme: 1 prefers dark, 2 prefers light, 0 no preference.
// Older portals wrap the value in a second variant.
std::optional<bool> prefersDark(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    if (!ok || scheme == 0 || scheme > 2)
        return std::nullopt;
    return scheme == 1;
}

} // namespace

AppColorScheme::AppColorScheme(QObject *parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(portalService, portalPath, portalInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onPortalSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(portalService, portalPath, portalInterface, QStringLiteral("Read"));
    read << appearanceNamespace << colorSchemeKey;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &AppColorScheme::onPortalReadFinished);
}

AppColorScheme::~AppColorScheme() = default;

void AppColorScheme::apply(VelloraPreferences::ColorScheme scheme) {
    if (!m_applied) {
        // The platform theme's palette, kept for "system" where no portal answers.
        m_platformPalette = QGuiApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        m_applied = true;
    }
    m_requested = scheme;
    refresh();
}

void AppColorScheme::refresh() {
    using Scheme = VelloraPreferences::ColorScheme;
    Scheme effective = m_requested;
    if (effective == Scheme::System) {
        const bool dark = m_desktopPrefersDark.value_or(m_platformPalette.color(QPalette::Window).lightness() < 128);
        effective = dark ? Scheme::Dark : Scheme::Light;
    }
    QApplication::setPalette(effective == Scheme::Dark ? darkPalette() : lightPalette());
    const bool changed = effective != m_effective;
    m_effective = effective;
    if (changed)
        emit effectiveSchemeChanged();
}

void AppColorScheme::onPortalReadFinished(QDBusPendingCallWatcher *watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    // No portal (or no such setting): the platform palette decides.
    if (reply.isError())
        return;
    setDesktopPreference(prefersDark(reply.value().variant()));
}

void AppColorScheme::onPortalSettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value) {
    if (nameSpace == appearanceNamespace && key == colorSchemeKey)
        setDesktopPreference(prefersDark(value.variant()));
}

void AppColorScheme::setDesktopPreference(std::optional<bool> prefersDarkScheme) {
    m_desktopPrefersDark = prefersDarkScheme;
    if (m_applied && m_requested == VelloraPreferences::ColorScheme::System)
        refresh();
}

QPalette AppColorScheme::lightPalette() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    return fusion->standardPalette();
}

QPalette AppColorScheme::darkPalette() {
    const QColor window(0x2b, 0x2b, 0x2b);
    const QColor base(0x1e, 0x1e, 0x1e);
    const QColor text(0xee, 0xee, 0xee);
    const QColor disabledText(0x80, 0x80, 0x80);
    const QColor highlight(0x3d, 0x7a, 0xd6);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x42, 0x42, 0x42));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::Dark, QColor(0x19, 0x19, 0x19));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Link, QColor(0x6a, 0xa8, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xb0, 0x8c, 0xff));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    return palette;
}

#include "AppColorScheme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace {

bool isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

// The desktop portal's Settings interface as the desktop serves it, on a
// connection of its own to the session bus, so the code under test reaches
// it over the bus. Like older portals it wraps the value in two variants.
class PortalSettings final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint colorScheme = 1;

public slots:
    QDBusVariant Read(const QString &nameSpace, const QString &key) {
        if (nameSpace == "org.freedesktop.appearance" && key == "color-scheme")
            return QDBusVariant(QVariant::fromValue(QDBusVariant(colorScheme)));
        return QDBusVariant(QString());
    }

signals:
    void SettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);
};

class TestAppColorScheme final : public QObject {
    Q_OBJECT

private slots:
    void explicitModesUseFusionWithTheirPalette_data() {
        QTest::addColumn<VelloraPreferences::ColorScheme>("scheme");
        QTest::addColumn<bool>("dark");
        QTest::newRow("dark") << VelloraPreferences::ColorScheme::Dark << true;
        QTest::newRow("light") << VelloraPreferences::ColorScheme::Light << false;
    }

    void explicitModesUseFusionWithTheirPalette() {
        QFETCH(VelloraPreferences::ColorScheme, scheme);
        QFETCH(bool, dark);
        AppColorScheme applier;
        applier.apply(scheme);
        QCOMPARE(QApplication::style()->name(), "fusion");
        QCOMPARE(isDark(QApplication::palette()), dark);
        QCOMPARE(applier.effectiveScheme(), dark ? scheme : VelloraPreferences::ColorScheme::Light);
    }

    void darkPaletteKeepsTextReadable() {
        const QPalette palette = AppColorScheme::darkPalette();
        for (const auto &[background, foreground] :
             {std::pair{QPalette::Window, QPalette::WindowText}, std::pair{QPalette::Base, QPalette::Text},
              std::pair{QPalette::Button, QPalette::ButtonText},
              std::pair{QPalette::Highlight, QPalette::HighlightedText}}) {
            const int contrast = palette.color(foreground).lightness() - palette.color(background).lightness();
            QVERIFY2(contrast > 100, QByteArray::number(contrast).constData());
        }
    }

    // Without a portal on the bus, "system" follows the platform theme, whose
    // palette is light on the offscreen platform.
    void systemWithoutPortalFollowsThePlatformPalette() {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.portal.Desktop"));
        AppColorScheme applier;
        applier.apply(VelloraPreferences::ColorScheme::Dark);
        applier.apply(VelloraPreferences::ColorScheme::System);
        QTest::qWait(200);
        QCOMPARE(applier.effectiveScheme(), VelloraPreferences::ColorScheme::Light);
        QVERIFY(!isDark(QApplication::palette()));
    }

    void systemFollowsTheDesktopPortalLive() {
        QDBusConnection portalBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "test-portal");
        QVERIFY(portalBus.isConnected());
        PortalSettings portal;
        QVERIFY(portalBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(portalBus.registerService("org.freedesktop.portal.Desktop"));

        AppColorScheme applier;
        QSignalSpy changed(&applier, &AppColorScheme::effectiveSchemeChanged);
        applier.apply(VelloraPreferences::ColorScheme::System);
        QTRY_COMPARE(applier.effectiveScheme(), VelloraPreferences::ColorScheme::Dark);
        QVERIFY(isDark(QApplication::palette()));

        // An explicit mode wins over the desktop; "system" picks it up again.
        applier.apply(VelloraPreferences::ColorScheme::Light);
        QVERIFY(!isDark(QApplication::palette()));
        applier.apply(VelloraPreferences::ColorScheme::System);
        QVERIFY(isDark(QApplication::palette()));

        emit portal.SettingChanged("org.freedesktop.appearance", "color-scheme", QDBusVariant(uint(2)));
        QTRY_COMPARE(applier.effectiveScheme(), VelloraPreferences::ColorScheme::Light);
        QVERIFY(!isDark(QApplication::palette()));

        // Other settings of the namespace do not count.
        emit portal.SettingChanged("org.freedesktop.appearance", "accent-color", QDBusVariant(uint(1)));
        emit portal.SettingChanged("org.freedesktop.appearance", "color-scheme", QDBusVariant(uint(1)));
        QTRY_COMPARE(applier.effectiveScheme(), VelloraPreferences::ColorScheme::Dark);

        portalBus.unregisterService("org.freedesktop.portal.Desktop");
        QDBusConnection::disconnectFromBus("test-portal");
    }
};

QTEST_MAIN(TestAppColorScheme)
#include "TestAppColorScheme.moc"

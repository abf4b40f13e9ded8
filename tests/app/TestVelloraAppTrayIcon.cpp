// The tray icon on the panel it sits on: a real tray host (trayer) on the
// session's X server, which announces its icon colour the way themed panels do,
// or says nothing, as most trays do. Whatever the application's own colour
// mode, the icon must stand out from the panel.
#include "AppColorScheme.h"
#include "ColorContrast.h"
#include "LibsecretSecretStore.h"
#include "TesseractTextEngine.h"
#include "TrayHost.h"
#include "UserDefaults.h"
#include "VelloraApp.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QColor LightPanel(240, 240, 242);
const QColor DarkPanel(32, 32, 36);


// How much of the icon's square stands out from the panel it is drawn on.
double standingOut(const QIcon &icon, const QColor &panel) {
    QImage shown(22, 22, QImage::Format_RGB32);
    shown.fill(panel);
    QPainter painter(&shown);
    painter.drawPixmap(0, 0, icon.pixmap(QSize(22, 22)));
    painter.end();
    int visible = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            visible += ColorContrast::ratio(shown.pixelColor(x, y), panel) >= 2.0 ? 1 : 0;
    }
    return double(visible) / (shown.width() * shown.height());
}

} // namespace

class TestVelloraAppTrayIcon final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TesseractTextEngine m_engine;
    LibsecretSecretStore m_store;
    QNetworkAccessManager m_network;
    TrayHost m_tray;

private slots:
    void initTestCase() { QVERIFY(m_tray.start()); }

    void cleanup() {
        QVERIFY(m_tray.setIconColor(std::nullopt));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void theIconStandsOutFromThePanel_data() {
        QTest::addColumn<bool>("darkMode");
        QTest::addColumn<std::optional<QColor>>("trayForeground");
        QTest::addColumn<QColor>("panel");
        const QColor darkText(30, 30, 30);
        const QColor lightText(235, 235, 235);
        QTest::newRow("a light panel in Dark mode") << true << std::optional<QColor>(darkText) << LightPanel;
        QTest::newRow("a dark panel in Light mode") << false << std::optional<QColor>(lightText) << DarkPanel;
        QTest::newRow("a dark panel in Dark mode") << true << std::optional<QColor>(lightText) << DarkPanel;
        QTest::newRow("a light panel in Light mode") << false << std::optional<QColor>(darkText) << LightPanel;
        QTest::newRow("a silent tray on a light panel, Dark mode") << true << std::optional<QColor>() << LightPanel;
        QTest::newRow("a silent tray on a dark panel, Dark mode") << true << std::optional<QColor>() << DarkPanel;
        QTest::newRow("a silent tray on a light panel, Light mode") << false << std::optional<QColor>() << LightPanel;
        QTest::newRow("a silent tray on a dark panel, Light mode") << false << std::optional<QColor>() << DarkPanel;
    }

    void theIconStandsOutFromThePanel() {
        QFETCH(bool, darkMode);
        QFETCH(std::optional<QColor>, trayForeground);
        QFETCH(QColor, panel);
        QApplication::setPalette(darkMode ? AppColorScheme::darkPalette()
                                          : QApplication::style()->standardPalette());
        UserDefaults defaults(m_dir.filePath(QStringLiteral("%1.conf").arg(QTest::currentDataTag())));
        VelloraApp app(VelloraApp::Services{m_engine, m_store, defaults, m_network, nullptr, QString(), {}});
        app.installStatusMenu();
        app.applyVisibility();
        QTRY_COMPARE_WITH_TIMEOUT(m_tray.iconCount(), 1, 20000);

        // Announced after the icon docked: a panel that changes its theme is followed.
        QVERIFY(m_tray.setIconColor(trayForeground));
        QTRY_COMPARE(app.statusIconVariant(), std::optional(NativeTrayIcon::variantFor(trayForeground)));
        QTRY_VERIFY2(standingOut(app.statusItem()->icon(), panel) >= 0.12,
                     qPrintable(QString::number(standingOut(app.statusItem()->icon(), panel))));
    }
};

QTEST_MAIN(TestVelloraAppTrayIcon)
#include "TestVelloraAppTrayIcon.moc"

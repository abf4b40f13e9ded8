#include "X11GlobalHotKeys.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

// Where Qt runs without X11 (offscreen here, Wayland on a desktop) the backend
// has nothing to grab on: registration fails with a clear error, never a crash.
class TestX11GlobalHotKeysOffscreen final : public QObject {
    Q_OBJECT

private slots:
    void registrationFailsWithoutAnX11Display() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        X11GlobalHotKeys hotKeys;
        const Result<GlobalHotKeys::Handle> result = hotKeys.registerHotKey(19, 4096 | 512 | 256, {0x564F4352, 1});
        QVERIFY(!result.ok());
        QCOMPARE(result.error().domain, QStringLiteral("Vellora.HotKey"));
        QCOMPARE(result.error().code, qint64(GlobalHotKeys::Unavailable));
        QVERIFY2(result.error().description.contains("X11") && result.error().description.contains("offscreen"),
                 qPrintable(result.error().description));
        hotKeys.unregisterHotKey(1); // nothing was registered: ignored
    }
};

QTEST_MAIN(TestX11GlobalHotKeysOffscreen)
#include "TestX11GlobalHotKeysOffscreen.moc"

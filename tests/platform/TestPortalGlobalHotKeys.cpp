// Global hot keys through the real desktop portal (xdg-desktop-portal) on a bus
// of the test's own, with a desktop backend that the test drives: it binds or
// refuses, and presses the shortcut.
#include "PortalGlobalHotKeys.h"
#include "PortalShortcutsBackend.h"
#include "WaylandSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr GlobalHotKeys::HotKeyId Id{0x564F4352, 1};
constexpr quint32 Key2 = 19;       // the key that types "2" on a US keyboard
constexpr quint32 KeyR = 15;
constexpr quint32 ControlShiftCommand = 4096 | 512 | 256;

} // namespace

Q_DECLARE_METATYPE(PortalShortcutsBackend::Answer)

class TestPortalGlobalHotKeys final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_portals;
    std::unique_ptr<WaylandSession> m_session;
    std::unique_ptr<PortalShortcutsBackend> m_backend;
    std::unique_ptr<PortalGlobalHotKeys> m_hotKeys;

    static constexpr char ConnectionName[] = "portal-hot-keys";

private slots:
    void triggers_data()
    {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("trigger");
        QTest::addRow("default") << Key2 << ControlShiftCommand << QStringLiteral("CTRL+SHIFT+LOGO+2");
        QTest::addRow("letter") << KeyR << quint32(2048 | 256) << QStringLiteral("ALT+LOGO+r");
        QTest::addRow("space") << quint32(0x31) << quint32(4096) << QStringLiteral("CTRL+space");
        QTest::addRow("return, no modifier") << quint32(0x24) << quint32(0) << QStringLiteral("Return");
        QTest::addRow("F5") << quint32(0x60) << quint32(512) << QStringLiteral("SHIFT+F5");
        QTest::addRow("page down") << quint32(0x79) << quint32(256) << QStringLiteral("LOGO+Next");
        QTest::addRow("no such key") << quint32(0x7F) << quint32(256) << QString();
        QTest::addRow("other mask bits") << Key2 << quint32(256 | 1) << QString();
    }

    void triggers()
    {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, trigger);
        QCOMPARE(PortalGlobalHotKeys::triggerFor(keyCode, modifiers).value_or(QString()), trigger);
    }

    void init()
    {
        QVERIFY(m_portals.isValid());
        QVERIFY(PortalShortcutsBackend::writePortalFile(m_portals.path(), QStringLiteral("vellora-test")));
        m_session = std::make_unique<WaylandSession>();
        m_session->setPortals(m_portals.path(), QStringLiteral("vellora-test"));
        QVERIFY2(m_session->start({}), qPrintable(m_session->error()));
        m_backend = std::make_unique<PortalShortcutsBackend>();
        QVERIFY(m_backend->start(m_session->busAddress()));
        const QDBusConnection bus = QDBusConnection::connectToBus(m_session->busAddress(), QLatin1String(ConnectionName));
        QVERIFY(bus.isConnected());
        m_hotKeys = std::make_unique<PortalGlobalHotKeys>(bus);
        m_hotKeys->setDescription(QStringLiteral("选区识字并复制"));
    }

    void cleanup()
    {
        m_hotKeys.reset();
        QDBusConnection::disconnectFromBus(QLatin1String(ConnectionName));
        m_backend.reset();
        m_session.reset();
    }

    void boundShortcutReportsItsPresses()
    {
        QSignalSpy failed(m_hotKeys.get(), &GlobalHotKeys::registrationFailed);
        QSignalSpy pressed(m_hotKeys.get(), &GlobalHotKeys::hotKeyPressed);
        const Result<GlobalHotKeys::Handle> handle = m_hotKeys->registerHotKey(Key2, ControlShiftCommand, Id);
        QVERIFY(handle.ok());
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->binds().size(), 1, 30000);
        const PortalShortcutsBackend::Bind bind = m_backend->binds().front();
        QCOMPARE(bind.shortcuts.size(), 1);
        const QVariantMap properties = bind.shortcuts.front().properties;
        QCOMPARE(properties.value(QStringLiteral("preferred_trigger")).toString(), QStringLiteral("CTRL+SHIFT+LOGO+2"));
        QCOMPARE(properties.value(QStringLiteral("description")).toString(), QStringLiteral("选区识字并复制"));

        // The desktop presses it once; the press arrives with the registration's tag.
        QTest::qWait(200);
        m_backend->activate(bind.session, bind.shortcuts.front().id);
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.front().front().value<GlobalHotKeys::HotKeyId>(), Id);
        QCOMPARE(failed.size(), 0);

        // Another session's shortcut, or another id, is not ours.
        m_backend->activate(bind.session, QStringLiteral("something-else"));
        QTest::qWait(300);
        QCOMPARE(pressed.size(), 1);

        // Released: the session is closed and later presses go nowhere.
        m_hotKeys->unregisterHotKey(handle.value());
        QTRY_COMPARE(m_backend->closedSessions(), QStringList{bind.session});
        m_backend->activate(bind.session, bind.shortcuts.front().id);
        QTest::qWait(300);
        QCOMPARE(pressed.size(), 1);
    }

    void refusalsAreReported_data()
    {
        QTest::addColumn<PortalShortcutsBackend::Answer>("answer");
        QTest::addRow("the user cancelled the dialog") << PortalShortcutsBackend::Answer::UserCancelled;
        QTest::addRow("the desktop refused") << PortalShortcutsBackend::Answer::Refused;
    }

    void refusalsAreReported()
    {
        QFETCH(PortalShortcutsBackend::Answer, answer);
        m_backend->setNextAnswer(answer);
        QSignalSpy failed(m_hotKeys.get(), &GlobalHotKeys::registrationFailed);
        const Result<GlobalHotKeys::Handle> handle = m_hotKeys->registerHotKey(KeyR, 2048 | 256, Id);
        QVERIFY(handle.ok());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        QCOMPARE(failed.front().at(0).value<GlobalHotKeys::Handle>(), handle.value());
        const Error error = failed.front().at(1).value<Error>();
        QCOMPARE(error.domain, QStringLiteral("Vellora.HotKey"));
        QCOMPARE(error.code, qint64(GlobalHotKeys::Refused));
        // The refused session is not left open.
        QTRY_COMPARE(m_backend->closedSessions(), m_backend->sessions());

        // The next registration is a new session, which the desktop may bind.
        QVERIFY(m_hotKeys->registerHotKey(Key2, ControlShiftCommand, Id).ok());
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->binds().size(), 2, 30000);
        QTest::qWait(300);
        QCOMPARE(failed.size(), 1);
    }

    void unmappableCombinationFailsAtOnce()
    {
        const Result<GlobalHotKeys::Handle> handle = m_hotKeys->registerHotKey(0x7F, 256, Id);
        QVERIFY(!handle.ok());
        QCOMPARE(handle.error().code, qint64(GlobalHotKeys::Unmappable));
    }
};

// A desktop whose portal has no global shortcuts (sway, GNOME before 48).
class TestPortalWithoutShortcuts final : public QObject {
    Q_OBJECT

private slots:
    void registrationIsUnavailable()
    {
        QTemporaryDir portals;
        QVERIFY(portals.isValid());
        WaylandSession session;
        session.setPortals(portals.path(), QStringLiteral("vellora-test"));
        QVERIFY2(session.start({}), qPrintable(session.error()));
        const QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), QStringLiteral("bare"));
        {
            PortalGlobalHotKeys hotKeys(bus);
            QSignalSpy failed(&hotKeys, &GlobalHotKeys::registrationFailed);
            QVERIFY(hotKeys.registerHotKey(Key2, ControlShiftCommand, Id).ok());
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
            QCOMPARE(failed.front().at(1).value<Error>().code, qint64(GlobalHotKeys::Unavailable));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("bare"));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    qRegisterMetaType<GlobalHotKeys::Handle>("GlobalHotKeys::Handle");
    qRegisterMetaType<Error>("Error");
    TestPortalGlobalHotKeys withShortcuts;
    TestPortalWithoutShortcuts without;
    return QTest::qExec(&withShortcuts, argc, argv) | QTest::qExec(&without, argc, argv);
}

#include "TestPortalGlobalHotKeys.moc"

// The running tray application as a user meets it: a window shows known text,
// the default hot key (or the tray menu) starts a capture, a rectangle is
// dragged over the text, and another program pastes the result. Real binaries
// on the session's X server, a real tray host, the real keyring, and a real
// HTTPS server on 127.0.0.1 standing for the AI service.
#include "AIKeychain.h"
#include "CapturedShortcut.h"
#include "HttpsTestServer.h"
#include "LibsecretSecretStore.h"
#include "TestSupport.h"
#include "TextWindow.h"
#include "TrayHost.h"
#include "UserDefaults.h"
#include "XKeyGrabber.h"
#include "XSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

constexpr QRect WindowGeometry(200, 300, 700, 260);
const QRect TextArea(215, 310, 670, 100);
const QString HotKey = QStringLiteral("ctrl+shift+super+2");

} // namespace

class TestCaptureEndToEnd final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TextWindow m_window{QStringLiteral("屏幕文字识别 Vellora 2026"), 34, 120};
    QProcess m_app;
    TrayHost m_tray;
    HttpsTestServer m_server;
    LibsecretSecretStore m_store;

    QString temporaryFolder() const { return m_dir.filePath(QStringLiteral("tmp")); }

    QStringList captureFolders() const
    {
        return QDir(temporaryFolder())
            .entryList({QStringLiteral("vellora-capture-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    }

    // Selectors of this test's app only: they inherit its private TMPDIR, while
    // captures of other runs on the same machine do not.
    int selectorsRunning() const
    {
        return int(TestSupport::processesWithEnvironment(QStringLiteral("vellora-screencapture -i -s -x"),
                                                         QStringLiteral("TMPDIR=") + temporaryFolder())
                       .size());
    }

    void setClipboard(const QByteArray &text)
    {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")});
        QVERIFY(xclip.waitForStarted());
        xclip.write(text);
        xclip.closeWriteChannel();
        QVERIFY(xclip.waitForFinished());
        QTRY_COMPARE(XSupport::clipboardText(), QString::fromUtf8(text));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(temporaryFolder()));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("config/Vellora"))));
        QVERIFY2(m_server.isListening(), qPrintable(m_server.errorString()));
        QVERIFY(m_tray.start());
        {
            UserDefaults defaults(m_dir.filePath(QStringLiteral("config/Vellora/Vellora.conf")));
            defaults.setString(QStringLiteral("aiBaseURL"), m_server.url(QStringLiteral("/v1")));
            defaults.setString(QStringLiteral("aiModel"), QStringLiteral("test-model"));
            QVERIFY(defaults.synchronize().ok());
        }
        m_window.setGeometry(WindowGeometry);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("TMPDIR"), temporaryFolder());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("VELLORA_EXTRA_CA_CERTS"), m_server.caCertificatePath());
        m_app.setProcessEnvironment(environment);
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        m_app.start(TestSupport::velloraExecutable(), {});
        QVERIFY(m_app.waitForStarted());

        // The application is ready once its hot key is held: nobody else can grab it then.
        // The probe never makes the application's own grab fail.
        const CapturedShortcut shortcut = CapturedShortcut::defaultShortcut();
        QTRY_VERIFY_WITH_TIMEOUT(XKeyGrabber::heldElsewhere(shortcut.keyCode, shortcut.modifiers), 60000);
    }

    void cleanupTestCase()
    {
        m_app.terminate();
        if (!m_app.waitForFinished(15000))
            m_app.kill();
    }

    void hotKeyAndDragCopyTheText()
    {
        setClipboard("before");
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), HotKey}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QTest::qWait(150);
        // A second press while the selection runs starts nothing.
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), HotKey}));
        QTest::qWait(500);
        QCOMPARE(selectorsRunning(), 1);
        QVERIFY(XSupport::drag(TextArea.left(), TextArea.top(), TextArea.right(), TextArea.bottom()));
        QTRY_VERIFY_WITH_TIMEOUT(XSupport::clipboardText() != QStringLiteral("before"), 60000);
        const QString text = XSupport::clipboardText();
        QVERIFY2(text.contains(QStringLiteral("Vellora")) && text.contains(QStringLiteral("2026"))
                     && text.contains(QStringLiteral("识别")),
                 qPrintable(text));
        QCOMPARE(captureFolders(), QStringList());
        QCOMPARE(selectorsRunning(), 0);
    }

    void escapeLeavesTheClipboardAndNoFolder()
    {
        setClipboard("kept");
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), HotKey}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QTest::qWait(150);
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_COMPARE_WITH_TIMEOUT(selectorsRunning(), 0, 20000);
        QTest::qWait(300);
        QCOMPARE(XSupport::clipboardText(), QStringLiteral("kept"));
        QCOMPARE(captureFolders(), QStringList());
        QCOMPARE(m_app.state(), QProcess::Running);
    }

    void polishedCaptureFromTheTrayMenuCopiesTheAnswer()
    {
        QVERIFY(AIKeychain::write(m_store, QStringLiteral("sk-e2e-test")).ok());
        m_server.setResponse({200, HttpsTestServer::completionBody(QStringLiteral("屏幕文字识别，Vellora 2026。"))});
        setClipboard("before");
        QTRY_COMPARE_WITH_TIMEOUT(m_tray.iconCount(), 1, 20000);
        QVERIFY(m_tray.click());
        QTest::qWait(500);
        // The second row: "选区识字并 AI 润色".
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"),
                                   QStringLiteral("Return")}));
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QTest::qWait(150);
        QVERIFY(XSupport::drag(TextArea.left(), TextArea.top(), TextArea.right(), TextArea.bottom()));
        QTRY_COMPARE_WITH_TIMEOUT(XSupport::clipboardText(), QStringLiteral("屏幕文字识别，Vellora 2026。"), 60000);
        QCOMPARE(m_server.requests().size(), 1);
        QCOMPARE(m_server.requests().at(0).headers.value("authorization"), QByteArray("Bearer sk-e2e-test"));
        QVERIFY(m_server.requests().at(0).body.contains("Vellora"));
        QVERIFY(AIKeychain::remove(m_store).ok());
    }
};

QTEST_MAIN(TestCaptureEndToEnd)
#include "TestCaptureEndToEnd.moc"

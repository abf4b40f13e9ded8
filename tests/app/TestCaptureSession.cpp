// The capture session end to end inside the application object: the real
// selector driven by xdotool on the session's X server, the real Tesseract, the
// real keyring, and a real HTTPS server standing for the AI service.
#include "AIKeychain.h"
#include "HttpsTestServer.h"
#include "KeyringTestSupport.h"
#include "LibsecretSecretStore.h"
#include "ScreenRegionCapture.h"
#include "TesseractTextEngine.h"
#include "TestSupport.h"
#include "TextWindow.h"
#include "ToastPanel.h"
#include "UserDefaults.h"
#include "VelloraApp.h"
#include "VelloraPreferences.h"
#include "VelloraToast.h"
#include "XSupport.h"

#include <QAction>
#include <QDir>
#include <QNetworkAccessManager>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

// The text window's line of text, and a blank part of it, in screen coordinates.
constexpr QRect WindowGeometry(300, 200, 600, 300);

TesseractTextEngineOptions quicklyResting()
{
    TesseractTextEngineOptions options;
    options.idleRelease = std::chrono::milliseconds(300);
    return options;
}
const QRect TextArea(310, 205, 580, 90);
const QRect BlankArea(400, 350, 300, 120);

} // namespace

class TestCaptureSession final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TextWindow m_window{QStringLiteral("截图识字 Vellora"), 32, 100};
    HttpsTestServer m_server;
    TesseractTextEngine m_engine;
    // An engine that lets its models go soon after each recognition.
    TesseractTextEngine m_restingEngine{quicklyResting()};
    LibsecretSecretStore m_store;
    std::unique_ptr<UserDefaults> m_defaults;
    QNetworkAccessManager m_network;
    std::unique_ptr<VelloraApp> m_app;

    bool select(const QRect &area)
    {
        if (!XSupport::waitForWindow(QStringLiteral("vellora-screencapture")))
            return false;
        QTest::qWait(150);
        return XSupport::drag(area.left(), area.top(), area.right(), area.bottom());
    }

    void expectIdle()
    {
        QVERIFY(!m_app->captureInProgress());
        QVERIFY(m_app->captureAction()->isEnabled());
        QVERIFY(m_app->polishAction()->isEnabled());
    }

    ToastPanel *toastPanel() const { return qobject_cast<ToastPanel *>(m_app->toast().panel()); }

    // Stores a key, points the app at the local service answering with response,
    // and runs a polished capture of the text.
    void polishedCapture(const HttpsTestServer::Response &response)
    {
        QVERIFY(AIKeychain::write(m_store, QStringLiteral("sk-session-test")).ok());
        m_server.clearRequests();
        m_server.setResponse(response);
        m_app->preferences().setAiBaseURL(m_server.url(QStringLiteral("/v1")));
        m_app->preferences().setAiModel(QStringLiteral("test-model"));
        m_app->startPolishedCapture();
        QTRY_VERIFY(m_app->captureInProgress());
        QVERIFY(select(TextArea));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 60000);
        expectIdle();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_server.isListening(), qPrintable(m_server.errorString()));
        qputenv("VELLORA_EXTRA_CA_CERTS", m_server.caCertificatePath().toLocal8Bit());
        m_window.setGeometry(WindowGeometry);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    }

    void init()
    {
        QVERIFY(AIKeychain::remove(m_store).ok());
        m_defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults-%1.conf")
                                                                       .arg(QTest::currentTestFunction())));
        m_defaults->setString(QStringLiteral("language"), QStringLiteral("zh-Hans"));
        const QString selector = QDir(TestSupport::binaryDir()).filePath(QStringLiteral("bin/vellora-screencapture"));
        m_app = std::make_unique<VelloraApp>(
            VelloraApp::Services{m_engine, m_store, *m_defaults, m_network, nullptr, selector, {}});
        QCOMPARE(m_app->currentStatus(), QStringLiteral("就绪"));
    }

    void cleanup()
    {
        // Leave no selector running for the next test.
        if (m_app && m_app->captureInProgress()) {
            XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 20000);
        }
        m_app.reset();
    }

    void plainCaptureCopiesTheRecognisedText()
    {
        m_app->captureAction()->trigger();
        QVERIFY(m_app->captureInProgress());
        QVERIFY(!m_app->captureAction()->isEnabled());
        QVERIFY(!m_app->polishAction()->isEnabled());
        QCOMPARE(m_app->currentStatus(), QStringLiteral("框选要识别的区域"));
        // A second request while the session runs is dropped.
        m_app->startCapture();
        m_app->startPolishedCapture();

        QVERIFY(select(TextArea));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 60000);
        expectIdle();
        QCOMPARE(m_app->currentStatus(), QStringLiteral("已复制识别文字"));
        const QString copied = XSupport::clipboardText();
        QVERIFY2(copied.contains(QStringLiteral("Vellora")) && copied.contains(QStringLiteral("识字")),
                 qPrintable(copied));
        QVERIFY(toastPanel() && toastPanel()->isVisible());
        QCOMPARE(toastPanel()->title(), QStringLiteral("识别成功，已复制到剪贴板"));
        QVERIFY(toastPanel()->detail().startsWith(QStringLiteral("%1 ").arg(copied.size() - 1))
                || toastPanel()->detail().contains(QStringLiteral(" 个字")));
    }

    // The engine lets its models go after a rest; a new session loads them
    // again while the user is still selecting, not after the release.
    void aSessionLoadsTheModelsWhileTheUserSelects()
    {
        m_app = std::make_unique<VelloraApp>(
            VelloraApp::Services{m_restingEngine, m_store, *m_defaults, m_network, nullptr,
                                 QDir(TestSupport::binaryDir()).filePath(QStringLiteral("bin/vellora-screencapture")),
                                 {}});
        QVERIFY(!m_restingEngine.holdsModels());
        m_app->startCapture();
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));

        QTRY_VERIFY_WITH_TIMEOUT(m_restingEngine.holdsModels(), 30000);
        QVERIFY(m_app->captureInProgress());
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 20000);
    }

    void escapeCancelsWithoutAToast()
    {
        QSignalSpy statuses(m_app.get(), &VelloraApp::toolTipChanged);
        m_app->startCapture();
        QVERIFY(XSupport::waitForWindow(QStringLiteral("vellora-screencapture")));
        QVERIFY(XSupport::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 20000);
        expectIdle();
        QCOMPARE(m_app->currentStatus(), QStringLiteral("已取消截图"));
        QVERIFY(!toastPanel() || !toastPanel()->isVisible());
        QCOMPARE(statuses.last().at(0).toString(), QStringLiteral("已取消截图"));
    }

    void blankSelectionSaysNothingWasRecognised()
    {
        m_app->startCapture();
        QVERIFY(select(BlankArea));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->captureInProgress(), 60000);
        expectIdle();
        QCOMPARE(m_app->currentStatus(), QStringLiteral("未识别到文字"));
        QVERIFY(toastPanel() && toastPanel()->isVisible());
        QCOMPARE(toastPanel()->title(), QStringLiteral("未识别到文字"));
        QCOMPARE(toastPanel()->symbol(), ToastSymbol::ExclamationmarkTriangleFill);
    }

    // Without a readable key no session starts and the settings open at the AI
    // tab; a locked keyring says so there and in the status line.
    void polishWithoutAKeyOpensTheSettings_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("keyError");
        QTest::newRow("no key stored") << false << QStringLiteral("请先在设置中保存 AI Key") << QString();
        QTest::newRow("keyring locked") << true << QStringLiteral("钥匙串已锁定，请先解锁后重试。")
                                        << QStringLiteral("钥匙串已锁定，请先解锁后重试。");
    }

    void polishWithoutAKeyOpensTheSettings()
    {
        QFETCH(bool, locked);
        QFETCH(QString, status);
        QFETCH(QString, keyError);
        QTRY_VERIFY(!m_app->preferences().keyBusy());
        if (locked) {
            QVERIFY(AIKeychain::write(m_store, QStringLiteral("sk-stored")).ok());
            QVERIFY(KeyringTestSupport::lockDefaultCollection());
        }
        const auto unlock = qScopeGuard([locked] {
            if (locked)
                QVERIFY(KeyringTestSupport::unlockDefaultCollection());
        });
        QSignalSpy settings(m_app.get(), &VelloraApp::settingsRequested);
        m_app->polishAction()->trigger();
        QTRY_COMPARE(settings.count(), 1);
        QCOMPARE(settings.at(0).at(0).toInt(), 1);
        QCOMPARE(m_app->currentStatus(), status);
        QCOMPARE(m_app->preferences().keyError(), keyError);
        expectIdle();
        QVERIFY(!m_app->regionCapture().isRunning());
    }

    void polishedCaptureCopiesTheServiceAnswer()
    {
        polishedCapture({200, HttpsTestServer::completionBody(QStringLiteral("截图识字，Vellora。"))});
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(m_app->currentStatus(), QStringLiteral("已复制润色文字"));
        QCOMPARE(XSupport::clipboardText(), QStringLiteral("截图识字，Vellora。"));
        QCOMPARE(toastPanel()->title(), QStringLiteral("润色完成，已复制到剪贴板"));
        QCOMPARE(m_server.requests().size(), 1);
        QVERIFY(m_server.requests().at(0).body.contains("Vellora"));
    }

    void polishingFailureShowsTheShortTitleAndTheFullStatus()
    {
        polishedCapture({401, QByteArray("{\"error\":{\"message\":\"bad key\"}}")});
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(toastPanel()->title(), QStringLiteral("AI 润色失败"));
        QVERIFY2(m_app->currentStatus().startsWith(QStringLiteral("AI 润色失败：")), qPrintable(m_app->currentStatus()));
        QVERIFY(!m_app->currentStatus().contains(QStringLiteral("sk-session-test")));
    }

    void statusFollowsTheLanguage()
    {
        m_app->showStatus(QStringLiteral("已取消截图"));
        const QString chinese = m_app->statusText();
        m_defaults->setString(QStringLiteral("language"), QStringLiteral("en"));
        QVERIFY(m_defaults->synchronize().ok());
        QVERIFY(m_app->statusText() != chinese);
        QVERIFY2(m_app->statusText().contains(QStringLiteral("ancel")), qPrintable(m_app->statusText()));
    }
};

QTEST_MAIN(TestCaptureSession)
#include "TestCaptureSession.moc"

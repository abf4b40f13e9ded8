#include "ToastPanel.h"
#include "VelloraToast.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr auto Delay = 120ms;
constexpr auto Duration = 600ms;

bool visible(const VelloraToast &toast)
{
    return toast.panel() && toast.panel()->isVisible();
}

} // namespace

class TestVelloraToast final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<VelloraToast> m_toast;

private slots:
    void initTestCase()
    {
        // The texts are looked up in the stored language; keep them Simplified Chinese.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellora"), QStringLiteral("Vellora"))
            .setValue(QStringLiteral("language"), QStringLiteral("zh-Hans"));
    }

    void init()
    {
        m_toast = std::make_unique<VelloraToast>();
        m_toast->setTimings(Delay, Duration);
    }

    void cleanup() { m_toast.reset(); }

    void progressFinishedEarlyIsNeverShown()
    {
        m_toast->scheduleProgress(QStringLiteral("正在识别文字…"));
        QTest::qWait(40);
        m_toast->finishProgress();
        QTest::qWait(int(Delay.count()) * 3);
        QVERIFY(!visible(*m_toast));
        QVERIFY(!m_toast->showingProgress());
    }

    void progressAppearsAfterTheDelayAndLetsClicksThrough()
    {
        m_toast->scheduleProgress(QStringLiteral("正在识别文字…"));
        QVERIFY(!visible(*m_toast));
        QTRY_VERIFY(visible(*m_toast));
        QVERIFY(m_toast->showingProgress());
        auto *panel = qobject_cast<ToastPanel *>(m_toast->panel());
        QVERIFY(panel);
        QCOMPARE(panel->title(), QStringLiteral("正在识别文字…"));
        QCOMPARE(panel->symbol(), ToastSymbol::Spinner);
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!panel->isActiveWindow());
        // Progress stays until it is replaced or finished.
        QTest::qWait(int(Duration.count()) + 200);
        QVERIFY(visible(*m_toast));
        m_toast->finishProgress();
        QVERIFY(!visible(*m_toast));
    }

    void placedAtTheTopCentreOfTheScreen()
    {
        m_toast->show(QStringLiteral("识别成功，已复制到剪贴板"), std::nullopt, ToastSymbol::CheckmarkCircleFill,
                      VelloraToast::successColor(), false);
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect frame = m_toast->panel()->frameGeometry();
        QCOMPARE(frame.size(), QSize(360, 82));
        QCOMPARE(frame.center().x(), screen->geometry().center().x());
        QCOMPARE(frame.top(), screen->availableGeometry().top() + 28);
    }

    void resultOverProgressSurvivesFinishProgress()
    {
        m_toast->scheduleProgress(QStringLiteral("正在 AI 润色…"));
        QTRY_VERIFY(visible(*m_toast));
        const QRect before = m_toast->panel()->geometry();
        m_toast->show(QStringLiteral("识别失败"), std::nullopt, ToastSymbol::ExclamationmarkTriangleFill,
                      VelloraToast::warningColor(), false);
        m_toast->finishProgress();
        QVERIFY(visible(*m_toast));
        QCOMPARE(m_toast->panel()->geometry(), before);
        QCOMPARE(qobject_cast<ToastPanel *>(m_toast->panel())->symbol(), ToastSymbol::ExclamationmarkTriangleFill);
        QTRY_VERIFY(!visible(*m_toast));
    }

    void secondResultGetsItsFullTime()
    {
        m_toast->showCopied(3, false);
        QTest::qWait(int(Duration.count()) * 2 / 3);
        m_toast->showCopied(5, true);
        QTest::qWait(int(Duration.count()) * 2 / 3);
        // The first result's time is over, the second's is not.
        QVERIFY(visible(*m_toast));
        auto *panel = qobject_cast<ToastPanel *>(m_toast->panel());
        QCOMPARE(panel->title(), QStringLiteral("润色完成，已复制到剪贴板"));
        QVERIFY2(panel->detail().startsWith(QStringLiteral("5 个字")), qPrintable(panel->detail()));
        QTRY_VERIFY(!visible(*m_toast));
    }

    void progressScheduledOverAResultReplacesItWhenDue()
    {
        m_toast->setTimings(Delay, 2000ms);
        m_toast->showCopied(3, false);
        m_toast->scheduleProgress(QStringLiteral("正在识别文字…"));
        QVERIFY(visible(*m_toast));
        auto *panel = qobject_cast<ToastPanel *>(m_toast->panel());
        QCOMPARE(panel->symbol(), ToastSymbol::CheckmarkCircleFill);
        QTRY_COMPARE(panel->symbol(), ToastSymbol::Spinner);
        QVERIFY(m_toast->showingProgress());
        // The result's dismissal was cancelled: progress stays.
        QTest::qWait(2200);
        QVERIFY(visible(*m_toast));
    }

    void laterScheduleRestartsTheDelay()
    {
        m_toast->scheduleProgress(QStringLiteral("正在识别文字…"));
        QTest::qWait(int(Delay.count()) / 2);
        m_toast->scheduleProgress(QStringLiteral("正在 AI 润色…"));
        QTRY_VERIFY(visible(*m_toast));
        QCOMPARE(qobject_cast<ToastPanel *>(m_toast->panel())->title(), QStringLiteral("正在 AI 润色…"));
    }

    void captureScreenIsForgottenByFinishProgress()
    {
        m_toast->setCaptureScreen(QGuiApplication::primaryScreen());
        QCOMPARE(m_toast->captureScreen(), QGuiApplication::primaryScreen());
        m_toast->finishProgress();
        QCOMPARE(m_toast->captureScreen(), nullptr);
    }

    void previewKeepsResultsForAMinute()
    {
        VelloraToast preview(true);
        preview.showCopied(1, false);
        QTest::qWait(int(VelloraToast::ResultDuration.count()) + 300);
        QVERIFY(visible(preview));
    }
};

QTEST_MAIN(TestVelloraToast)
#include "TestVelloraToast.moc"

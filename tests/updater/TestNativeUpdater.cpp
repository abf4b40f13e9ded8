#include "NativeUpdater.h"

#include "BundleSignature.h"
#include "HttpsTestServer.h"
#include "NativeUpdateDownload.h"
#include "UpdateBundles.h"
#include "UserDefaults.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Shown {
    NativeUpdatePrompt prompt;
    NativeUpdater::Completion answer;
};

} // namespace

// The controller against an HTTPS server on 127.0.0.1 that serves a manifest
// and a real signed archive; prompts are caught by a presenter of the test's
// own, which answers when told to.
class TestNativeUpdater final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    BundleSignature::KeyPair m_team;
    QByteArray m_archive;
    std::unique_ptr<HttpsTestServer> m_server;
    QNetworkAccessManager m_network;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<NativeUpdater> m_updater;
    QList<Shown> m_shown;
    // The manifest and archive the server hands out.
    QByteArray m_manifest;
    HttpsTestServer::Response m_download;

    NativeUpdateConfiguration configuration(bool enabled = true) const {
        return NativeUpdateConfiguration("vellora", "Vellora", "quorvel.vellora", "K7Q2W9X4ZP",
                                         QUrl(m_server->url("/downloads/update.json")), {"127.0.0.1"}, enabled,
                                         {m_team.publicKey});
    }

    QByteArray manifest(qint64 build, const QByteArray &sha256, const QByteArray &product = "vellora") const {
        return QJsonDocument(QJsonObject{{"schemaVersion", 1},
                                         {"product", QString::fromUtf8(product)},
                                         {"version", "2.0"},
                                         {"build", build},
                                         {"downloadURL", m_server->url("/downloads/Vellora.zip")},
                                         {"sha256", QString::fromLatin1(sha256)},
                                         {"releaseNotes", "- faster"}})
            .toJson();
    }

    void makeUpdater(bool enabled = true, qint64 runningBuild = 1) {
        m_updater.reset();
        m_defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults-%1.conf").arg(QDateTime::currentMSecsSinceEpoch())));
        m_defaults->registerDefaults({{NativeUpdater::automaticChecksKey("vellora"), true}});
        m_updater = std::make_unique<NativeUpdater>(configuration(enabled), *m_defaults, m_network);
        const QString running = m_dir.filePath(QStringLiteral("running-%1").arg(runningBuild));
        QDir().mkpath(running);
        UpdateBundles::write(running + "/bundle.json",
                             QJsonDocument(QJsonObject{{"CFBundleVersion", QString::number(runningBuild)}}).toJson());
        m_updater->setRunningBundle(AppBundle::open(running));
        m_updater->setPreferredLanguages(QStringList{"en"});
        m_updater->setSchedule(std::chrono::milliseconds(200), std::chrono::milliseconds(600));
        m_updater->setPromptPresenter([this](const NativeUpdatePrompt &prompt, NativeUpdater::Completion answer) {
            m_shown.append({prompt, std::move(answer)});
        });
        m_updater->setTermination([] { QFAIL("the test application was asked to quit"); });
    }

    int manifestRequests() const {
        int count = 0;
        for (const HttpsTestServer::Request &request : m_server->requests())
            count += request.path == "/downloads/update.json";
        return count;
    }

    QStringList titles() const {
        QStringList result;
        for (const Shown &shown : m_shown)
            result.append(shown.prompt.title);
        return result;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
        m_team = BundleSignature::generate();
        const QString bundle = UpdateBundles::make(m_dir.path(), {});
        QVERIFY(UpdateBundles::sign(bundle, m_team.secretKey));
        m_archive = UpdateBundles::zip(bundle);
        QVERIFY(m_archive.size() > 3 * NativeUpdateDownload::ChunkSize);
        m_server = std::make_unique<HttpsTestServer>();
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errorString()));
        qputenv("VELLORA_EXTRA_CA_CERTS", m_server->caCertificatePath().toUtf8());
        serve();
    }

    void init() {
        m_shown.clear();
        m_server->clearRequests();
        m_manifest = manifest(2, UpdateBundles::sha256(m_archive));
        m_download = HttpsTestServer::reply(200, m_archive);
        m_download.contentType = "application/zip";
        makeUpdater();
    }

    void cleanup() { m_updater.reset(); }

    void automaticChecksRunAfterTheDelayAndThenPeriodically() {
        m_updater->startAutomaticChecks();
        QCOMPARE(manifestRequests(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(manifestRequests(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(manifestRequests(), 2, 5000);
        QTRY_COMPARE(m_updater->state(), NativeUpdateState::available("2.0"));

        // Off: neither the pending check nor the timer runs.
        m_updater->setAutomaticallyChecksForUpdates(false);
        QCOMPARE(m_defaults->boolean(NativeUpdater::automaticChecksKey("vellora")), false);
        const int before = manifestRequests();
        QTest::qWait(900);
        QCOMPARE(manifestRequests(), before);
        QCOMPARE(m_updater->statusText(), "Version 2.0 is available");
        // On again: the delay starts over.
        m_updater->setAutomaticallyChecksForUpdates(true);
        QTRY_COMPARE_WITH_TIMEOUT(manifestRequests(), before + 1, 5000);
    }

    void nothingIsScheduledBeforeTheHostAsksOrInADevelopmentBuild() {
        m_updater->setAutomaticallyChecksForUpdates(false);
        m_updater->setAutomaticallyChecksForUpdates(true);
        QCOMPARE(m_defaults->boolean(NativeUpdater::automaticChecksKey("vellora")), true);
        QTest::qWait(500);
        QCOMPARE(manifestRequests(), 0);

        makeUpdater(false);
        m_updater->startAutomaticChecks();
        m_updater->checkForUpdates(false, true);
        QTest::qWait(500);
        QCOMPARE(manifestRequests(), 0);
        QCOMPARE(m_shown.size(), 0);
        m_updater->checkForUpdates(true, true);
        QCOMPARE(titles(), QStringList{"Development builds do not check for production updates."});
        QCOMPARE(m_updater->state(), NativeUpdateState::idle());
        QCOMPARE(m_updater->statusText(), "Development builds do not update automatically");
    }

    void anAutomaticPromptComesOncePerDay() {
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->state(), NativeUpdateState::available("2.0"));
        QCOMPARE(titles(), QStringList{"Vellora 2.0 is available"});
        QCOMPARE(m_shown.first().prompt.releaseNotes, std::optional<QString>("- faster"));
        const QString key = NativeUpdater::promptKey("vellora", 2);
        const double shownAt = m_defaults->string(key).value_or("0").toDouble();
        QVERIFY(qAbs(shownAt - QDateTime::currentMSecsSinceEpoch() / 1000.0) < 60);

        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(manifestRequests(), 2);
        QTRY_COMPARE(m_updater->state(), NativeUpdateState::available("2.0"));
        QCOMPARE(m_shown.size(), 1);
        // A manual check always asks.
        m_updater->checkForUpdates(true, true);
        QTRY_COMPARE(m_shown.size(), 2);
        // A day later the automatic check asks again.
        m_defaults->setString(key, QString::number(shownAt - 86401, 'f', 3));
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_shown.size(), 3);
        // With the automatic switch off, an automatic check never asks.
        m_defaults->setString(key, "0");
        m_updater->setAutomaticallyChecksForUpdates(false);
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(manifestRequests(), 5);
        QTest::qWait(100);
        QCOMPARE(m_shown.size(), 3);
    }

    void checksReportTheirOutcome() {
        // Nothing newer: a notice for a manual check only.
        makeUpdater(true, 2);
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->state(), NativeUpdateState::current());
        QCOMPARE(m_updater->statusText(), "You're up to date");
        QCOMPARE(m_shown.size(), 0);
        m_updater->checkForUpdates(true, false);
        QTRY_COMPARE(titles(), QStringList{"Vellora is up to date."});
        m_updater->setAutomaticallyChecksForUpdates(false);
        QCOMPARE(m_updater->statusText(), "Automatic update checks are off");

        // A manifest for another product: the failure, with an alert for the menu's manual check only.
        m_manifest = manifest(3, UpdateBundles::sha256(m_archive), "other");
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->state().kind, NativeUpdateState::Kind::failed);
        const QString failed = "Update check failed: This update does not belong to the current app.";
        QCOMPARE(m_updater->statusText(), failed);
        QCOMPARE(m_shown.size(), 1);
        m_updater->performPrimaryAction(false);
        QTRY_COMPARE(manifestRequests(), 4);
        QTRY_COMPARE(m_updater->state().kind, NativeUpdateState::Kind::failed);
        QCOMPARE(m_shown.size(), 1);
        m_updater->checkForUpdates(true, true);
        QTRY_COMPARE(m_shown.size(), 2);
        QCOMPARE(m_shown.last().prompt.title, failed);
        QCOMPARE(m_shown.last().prompt.primary, "OK");
        QVERIFY(!m_shown.last().prompt.secondary);

        // Every part of the message in the updater's language.
        m_updater->setPreferredLanguages(QStringList{"zh-Hant"});
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->statusText(), "檢查更新失敗：更新套件不屬於目前的 App。");

        // A server error and a document that is no manifest.
        m_manifest = "<html>busy</html>";
        m_updater->setPreferredLanguages(QStringList{"en"});
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->statusText(),
                     "Update check failed: The data couldn't be read because it isn't in the correct format.");
        m_server->setHandler([](const HttpsTestServer::Request &) { return HttpsTestServer::reply(503, "busy"); });
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->statusText(), "Update check failed: The server returned HTTP status 503.");
        serve();
    }

    void aDownloadIsVerifiedAndStaged() {
        m_updater->checkForUpdates(true, true);
        QTRY_COMPARE(m_shown.size(), 1);
        QSignalSpy progress(m_updater.get(), &NativeUpdater::downloadProgressChanged);
        QStringList statuses;
        connect(m_updater.get(), &NativeUpdater::changed, this, [&] { statuses.append(m_updater->statusText()); });
        m_shown.takeFirst().answer(true);
        QCOMPARE(m_updater->state(), NativeUpdateState::downloading("2.0"));
        QVERIFY(m_updater->actionDisabled());
        // A second request while it runs is refused silently.
        m_updater->checkForUpdates(true, true);
        m_updater->performPrimaryAction(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_updater->state(), NativeUpdateState::ready("2.0"), 30000);
        QCOMPARE(manifestRequests(), 1);

        // Progress in whole percents, rising, ending at 1 and then absent.
        QList<double> values;
        for (const QList<QVariant> &change : progress) {
            const auto value = change.at(0).value<std::optional<double>>();
            if (value)
                values.append(*value);
        }
        QVERIFY(values.size() >= 3);
        QVERIFY(values.size() <= 102);
        QCOMPARE(values.first(), 0.0);
        QCOMPARE(values.last(), 1.0);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(m_updater->downloadProgress(), std::nullopt);
        QVERIFY(statuses.contains("Downloading 2.0… 0%"));
        QVERIFY(statuses.contains("Downloading 2.0… 100%"));

        QVERIFY(m_updater->stagedApplication());
        QVERIFY(QFileInfo(*m_updater->stagedApplication() + "/vellora").isExecutable());
        QCOMPARE(titles(), QStringList{"Vellora 2.0 is ready"});
        QCOMPARE(m_shown.first().prompt.primary, "Restart and Update");
        // Declined: still ready, and the button restarts without asking again.
        m_shown.takeFirst().answer(false);
        QCOMPARE(m_updater->state(), NativeUpdateState::ready("2.0"));
        QCOMPARE(m_updater->statusText(), "2.0 downloaded; restart to install");
        QCOMPARE(m_updater->actionTitle(), "Restart and Update");

        // This test runs from no installed bundle: starting the helper fails, and says so.
        m_updater->setRunningBundle(std::nullopt);
        bool hookCalled = false;
        m_updater->setRestartPreparationDidFail([&] { hookCalled = true; });
        m_updater->performPrimaryAction(false);
        QVERIFY(m_updater->isRestarting());
        QCOMPARE(m_updater->statusText(), "Preparing to restart…");
        QVERIFY(m_updater->actionDisabled());
        QTRY_VERIFY(!m_updater->isRestarting());
        QVERIFY(hookCalled);
        QCOMPARE(m_updater->statusText(), "Unable to start the update: This copy runs from no installed bundle.");
        QCOMPARE(titles(), QStringList{"Unable to start the update: This copy runs from no installed bundle."});
    }

    void aDownloadWithoutALengthShowsNoPercentage() {
        m_download.omitContentLength = true;
        m_updater->checkForUpdates(true, true);
        QTRY_COMPARE(m_shown.size(), 1);
        QStringList statuses;
        connect(m_updater.get(), &NativeUpdater::changed, this, [&] { statuses.append(m_updater->statusText()); });
        m_shown.takeFirst().answer(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_updater->state(), NativeUpdateState::ready("2.0"), 30000);
        // 0% until the response says it has no length; the base text from then on.
        const qsizetype told = statuses.indexOf("Downloading 2.0…");
        QVERIFY(told > 0);
        for (const QString &status : statuses.mid(told))
            QVERIFY2(!status.contains('%'), qPrintable(status));
        for (const QString &status : statuses.first(told))
            QVERIFY2(!status.contains('%') || status.endsWith(" 0%"), qPrintable(status));
    }

    void aFailedDownloadSaysWhy_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("tampered");
        QTest::addColumn<bool>("presentErrors");
        QTest::addColumn<QString>("message");
        QTest::newRow("tampered, from the menu") << 200 << true << true
                                                  << "Update download failed: The update archive is damaged. Download it again.";
        QTest::newRow("tampered, from the settings")
            << 200 << true << false << "Update download failed: The update archive is damaged. Download it again.";
        QTest::newRow("not found") << 404 << false << true << "Update download failed: The server returned HTTP status 404.";
    }

    void aFailedDownloadSaysWhy() {
        QFETCH(int, status);
        QFETCH(bool, tampered);
        QFETCH(bool, presentErrors);
        QFETCH(QString, message);
        QByteArray body = m_archive;
        if (tampered)
            body[body.size() / 2] = static_cast<char>(body[body.size() / 2] ^ 1);
        m_download = HttpsTestServer::reply(status, body);
        m_updater->checkForUpdates(false, true);
        QTRY_COMPARE(m_updater->state(), NativeUpdateState::available("2.0"));
        QCOMPARE(m_updater->actionTitle(), "Download Update");
        m_shown.clear();
        m_updater->performPrimaryAction(presentErrors);
        QTRY_COMPARE_WITH_TIMEOUT(m_updater->state().kind, NativeUpdateState::Kind::failed, 30000);
        QCOMPARE(m_updater->statusText(), message);
        QCOMPARE(m_updater->downloadProgress(), std::nullopt);
        QCOMPARE(titles(), presentErrors ? QStringList{message} : QStringList());
        QCOMPARE(m_updater->actionTitle(), "Check for Updates");
        QVERIFY(!m_updater->stagedApplication());
    }

    void progressIsPublishedOnWholePercentsAtChunkEnds_data() {
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<qint64>("body");
        QTest::addColumn<QList<double>>("published");
        constexpr qint64 chunk = NativeUpdateDownload::ChunkSize;
        QTest::newRow("four chunks") << 4 * chunk << 4 * chunk << QList<double>{0.25, 0.5, 0.75, 1.0, 1.0};
        QTest::newRow("more than announced: capped") << qint64(1000) << 3 * chunk / 2 << QList<double>{1.0, 1.0};
        QTest::newRow("no length") << qint64(0) << 3 * chunk << QList<double>{};
        QTest::newRow("past the reservation limit") << NativeUpdateDownload::ReservationLimit + 1 << 2 * chunk
                                                    << QList<double>{};
        QTest::newRow("a thousand small chunks") << 1000 * chunk << 1000 * chunk << QList<double>{};
    }

    void progressIsPublishedOnWholePercentsAtChunkEnds() {
        QFETCH(qint64, expected);
        QFETCH(qint64, body);
        QFETCH(QList<double>, published);
        NativeUpdateDownload download(expected);
        QList<double> seen;
        const QByteArray piece(1000, 'x');
        for (qint64 sent = 0; sent < body; sent += piece.size()) {
            if (const std::optional<double> progress = download.append(QByteArrayView(piece).first(std::min<qint64>(piece.size(), body - sent))))
                seen.append(*progress);
        }
        if (const std::optional<double> last = download.finish())
            seen.append(*last);
        QCOMPARE(download.body().size(), body);
        if (expected == 1000 * NativeUpdateDownload::ChunkSize) {
            // Every whole percent once, never more, and 1 at the end.
            QCOMPARE(seen.size(), 101 + 1);
            return;
        }
        QCOMPARE(seen, published);
    }

    void theChangelogFollowsTheLanguage() {
        m_updater->setPreferredLanguages(QStringList{"zh-Hant"});
        QCOMPARE(m_updater->updateHistoryURL().path(), "/zh-tw/changelog/");
        m_updater->setPreferredLanguages(QStringList{"en"});
        QCOMPARE(m_updater->updateHistoryURL().path(), "/changelog/");
    }

    void downloadingStatusText_data() {
        QTest::addColumn<std::optional<double>>("progress");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << std::optional<double>() << "base";
        QTest::newRow("0.416") << std::optional<double>(0.416) << "base 42%";
        QTest::newRow("0.005 rounds away from zero") << std::optional<double>(0.005) << "base 1%";
        QTest::newRow("above 1") << std::optional<double>(1.7) << "base 100%";
        QTest::newRow("below 0") << std::optional<double>(-0.2) << "base 0%";
    }

    void downloadingStatusText() {
        QFETCH(std::optional<double>, progress);
        QFETCH(QString, text);
        QCOMPARE(NativeUpdater::downloadingStatusText("base", progress), text);
    }

private:
    void serve() {
        m_server->setHandler([this](const HttpsTestServer::Request &request) {
            if (request.path == "/downloads/update.json")
                return HttpsTestServer::reply(200, m_manifest);
            if (request.path == "/downloads/Vellora.zip")
                return m_download;
            return HttpsTestServer::reply(404, "not here");
        });
    }
};

QTEST_MAIN(TestNativeUpdater)
#include "TestNativeUpdater.moc"

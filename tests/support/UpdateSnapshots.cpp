// vellora-update-snapshots OUTPUT_DIR: renders every update prompt (the two
// questions with release notes, and the notices and failures the updater
// shows) in each interface language, light and dark, as the application's own
// palettes paint them, into update-prompts-<language>-<mode>.png; and the
// settings window's Updates tab in the states a user meets, each reached by a
// real updater talking to a local HTTPS server, into
// settings-updates-<language>-<mode>.png. Run it inside a test session (it
// needs a keyring). Not a test: it checks nothing.
#include "AppBundle.h"
#include "AppColorScheme.h"
#include "HttpsTestServer.h"
#include "LibsecretSecretStore.h"
#include "NativeAppAppearance.h"
#include "NativeUpdateAlertPresenter.h"
#include "NativeUpdateInstaller.h"
#include "NativeUpdateManifest.h"
#include "NativeUpdater.h"
#include "UpdaterLocalization.h"
#include "UserDefaults.h"
#include "VelloraCloudSettings.h"
#include "VelloraIcon.h"
#include "VelloraPreferences.h"
#include "VelloraSettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

struct Shot {
    NativeUpdatePrompt prompt;
    NativeUpdateAlertStyle style;
};

NativeUpdateManifest manifest() {
    NativeUpdateManifest result;
    result.version = QStringLiteral("2.0");
    result.build = 2;
    result.releaseNotesByLocale = QMap<QString, QString>{
        {QStringLiteral("en"), QStringLiteral("## What's new in 2.0\n\n- Recognition is **twice as fast** on long "
                                              "pages\n- Polished text keeps your line breaks\n- Fixed: the hot key "
                                              "after waking from sleep\n\nSee `Settings › Updates` for the full log.")},
        {QStringLiteral("zh-Hans"),
         QStringLiteral("## 2.0 新功能\n\n- 长页面识别速度**提升一倍**\n- AI "
                        "润色保留原有换行\n- 修复：唤醒后快捷键失效\n\n完整日志见“设置 › 更新”。")},
        {QStringLiteral("zh-Hant"),
         QStringLiteral("## 2.0 新功能\n\n- 長頁面辨識速度**提升一倍**\n- AI "
                        "潤飾保留原有換行\n- 修正：喚醒後快捷鍵失效\n\n完整紀錄見「設定 › 更新」。")},
    };
    return result;
}

QList<Shot> shots(const QStringList &languages) {
    const auto message = [&languages](const char16_t *key, const QStringList &values, NativeUpdateAlertStyle style) {
        return Shot{
            NativeUpdatePrompt::message(updaterCopyFormat(QString::fromUtf16(key), languages, values), languages),
            style};
    };
    const auto failure = [&languages](NativeUpdateInstaller::Failure which) {
        return updaterCopy(NativeUpdateInstaller::failureKey(which), languages);
    };
    using Style = NativeUpdateAlertStyle;
    return {
        {NativeUpdatePrompt::available(manifest(), QStringLiteral("Vellora"), languages), Style::informational},
        {NativeUpdatePrompt::ready(manifest(), QStringLiteral("Vellora"), languages), Style::informational},
        message(u"%@ 已经是最新版本。", {QStringLiteral("Vellora")}, Style::informational),
        message(u"开发版不检查正式更新。", {}, Style::informational),
        message(u"检查更新失败：%@", {QStringLiteral("Host vellora.quorvel.app not found")}, Style::warning),
        message(u"下载更新失败：%@", {failure(NativeUpdateInstaller::Failure::invalidArchive)}, Style::warning),
        message(u"下载更新失败：%@", {failure(NativeUpdateInstaller::Failure::invalidApplication)}, Style::warning),
        message(u"无法启动更新：%@", {QStringLiteral("Permission denied")}, Style::warning),
    };
}

// The alerts in two columns on a desktop-like backdrop.
QImage sheet(const QList<QImage> &alerts, bool dark) {
    constexpr int margin = 24;
    int columnWidth = 0;
    for (const QImage &alert : alerts)
        columnWidth = std::max(columnWidth, alert.width());
    QList<int> rowHeights;
    for (qsizetype i = 0; i < alerts.size(); i += 2)
        rowHeights.append(std::max(alerts.at(i).height(), i + 1 < alerts.size() ? alerts.at(i + 1).height() : 0));
    int height = margin;
    for (const int rowHeight : rowHeights)
        height += rowHeight + margin;
    QImage canvas(2 * columnWidth + 3 * margin, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    QLinearGradient backdrop(0, 0, canvas.width(), canvas.height());
    backdrop.setColorAt(0, dark ? QColor(30, 40, 60) : QColor(200, 214, 235));
    backdrop.setColorAt(1, dark ? QColor(60, 30, 50) : QColor(235, 215, 200));
    painter.fillRect(canvas.rect(), backdrop);
    int top = margin;
    for (qsizetype i = 0; i < alerts.size(); ++i) {
        painter.drawImage(margin + (i % 2) * (columnWidth + margin), top, alerts.at(i));
        if (i % 2 == 1)
            top += rowHeights.at(i / 2) + margin;
    }
    return canvas;
}

// What the server answers in one Updates-tab shot, and the state the updater
// reaches from a click on the tab's button.
struct TabShot {
    bool enabled;
    int manifestStatus;
    qint64 manifestBuild;
    bool acceptDownload;
    NativeUpdateState::Kind until;
};

// The Updates tab in each state, photographed through the real settings window.
QList<QImage> updatesTabStates(const QString &language) {
    HttpsTestServer server;
    if (!server.isListening()) {
        std::fprintf(stderr, "vellora-update-snapshots: %s\n", qPrintable(server.errorString()));
        return {};
    }
    qputenv("VELLORA_EXTRA_CA_CERTS", server.caCertificatePath().toUtf8());
    QTemporaryDir folder;
    // Version 1.0 (build 1) is installed.
    const QString bundlePath = folder.filePath(QStringLiteral("Vellora.app"));
    QDir().mkpath(bundlePath);
    QFile info(bundlePath + QStringLiteral("/bundle.json"));
    if (!info.open(QIODevice::WriteOnly))
        return {};
    info.write(QJsonDocument(QJsonObject{{"CFBundleIdentifier", "quorvel.vellora"},
                                         {"CFBundleShortVersionString", "1.0"},
                                         {"CFBundleVersion", "1"}})
                   .toJson());
    info.close();

    UserDefaults defaults(folder.filePath(QStringLiteral("Vellora.conf")));
    defaults.setString(QStringLiteral("language"), language);
    LibsecretSecretStore keyStore;
    QNetworkAccessManager network;
    VelloraPreferences preferences(defaults, keyStore, false, QStringList());
    NativeAppAppearance appearance(NativeAccentPalette::Violet, QStringLiteral("vellora.accentPalette"), defaults,
                                   VelloraIcon::image);
    VelloraCloudSettings::Locations locations;
    locations.cloudDriveCandidates = {folder.filePath(QStringLiteral("cloud"))};
    locations.backupFolder = folder.filePath(QStringLiteral("backups"));
    VelloraCloudSettings cloud(preferences, appearance, defaults, locations);

    const QList<TabShot> shots{
        {false, 200, 1, false, NativeUpdateState::Kind::idle},
        {true, 200, 1, false, NativeUpdateState::Kind::current},
        {true, 200, 2, false, NativeUpdateState::Kind::available},
        {true, 200, 2, true, NativeUpdateState::Kind::downloading},
        {true, 503, 2, false, NativeUpdateState::Kind::failed},
    };
    QList<QImage> images;
    for (const TabShot &shot : shots) {
        const QJsonObject manifest{{"schemaVersion", 1},
                                   {"product", "vellora"},
                                   {"version", shot.manifestBuild == 1 ? "1.0" : "2.0"},
                                   {"build", shot.manifestBuild},
                                   {"downloadURL", server.url(QStringLiteral("/downloads/Vellora-2.0-2.zip"))},
                                   {"sha256", QString(64, u'a')}};
        const int status = shot.manifestStatus;
        server.setHandler([manifest, status](const HttpsTestServer::Request &request) {
            // The archive never arrives: the download stays under way.
            if (request.path.endsWith(".zip"))
                return HttpsTestServer::silence();
            return HttpsTestServer::reply(status, status == 200 ? QJsonDocument(manifest).toJson() : "busy");
        });
        NativeUpdater updater(NativeUpdateConfiguration(QStringLiteral("vellora"), QStringLiteral("Vellora"),
                                                        QStringLiteral("quorvel.vellora"), QStringLiteral("K7Q2W9X4ZP"),
                                                        QUrl(server.url(QStringLiteral("/downloads/update.json"))),
                                                        {QStringLiteral("127.0.0.1")}, shot.enabled, {}),
                              defaults, network);
        updater.setRunningBundle(shot.enabled ? AppBundle::open(bundlePath) : std::nullopt);
        updater.setPreferredLanguages(QStringList{language});
        // As installed: the automatic checks are on (they are never started here).
        updater.setAutomaticallyChecksForUpdates(true);
        const bool accept = shot.acceptDownload;
        // The prompts are photographed on their own; here they answer at once.
        updater.setPromptPresenter(
            [accept](const NativeUpdatePrompt &, NativeUpdater::Completion done) { done(accept); });
        VelloraSettingsWindow settings(preferences, appearance, cloud, updater, keyStore, network);
        settings.show(VelloraSettingsWindow::Updates);
        if (shot.until != NativeUpdateState::Kind::idle) {
            updater.checkForUpdates(true, false);
            if (!QTest::qWaitFor([&updater, &shot] { return updater.state().kind == shot.until; }, 20000))
                std::fprintf(stderr, "vellora-update-snapshots: the updater stopped at \"%s\"\n",
                             qPrintable(updater.statusText()));
        }
        QTest::qWait(100);
        images.append(settings.window()->grab().toImage());
    }
    return images;
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(VelloraIcon::image(NativeAccentPalette::Violet));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(output);
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? AppColorScheme::darkPalette() : AppColorScheme::lightPalette());
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")}) {
            QList<QImage> alerts;
            for (const Shot &shot : shots({language})) {
                std::unique_ptr<NativeUpdateAlert> alert(nativeUpdateAlert(shot.prompt, shot.style));
                alert->adjustSize();
                alert->show();
                alerts.append(alert->grab().toImage());
            }
            const QString mode = dark ? QStringLiteral("dark") : QStringLiteral("light");
            sheet(alerts, dark).save(QStringLiteral("%1/update-prompts-%2-%3.png").arg(output, language, mode));
            const QList<QImage> tabs = updatesTabStates(language);
            if (!tabs.isEmpty())
                sheet(tabs, dark).save(QStringLiteral("%1/settings-updates-%2-%3.png").arg(output, language, mode));
        }
    }
    return 0;
}

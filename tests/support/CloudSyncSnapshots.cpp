// vellora-cloud-snapshots OUTPUT_DIR: photographs the settings window's General
// tab in every state of cloud sync (off, on and in step, a conflict, a file too
// large, no cloud folder, the choice dialog), in every interface language, into
// OUTPUT_DIR/cloud-sync-<state>-<language>.png. The states are reached the way
// a user reaches them, with real files in a temporary cloud folder. Runs on an
// X display (the dialog is photographed from the screen). Not a test: it checks
// nothing but that each state showed.
#include "AppColorScheme.h"
#include "LibsecretSecretStore.h"
#include "NativeAppAppearance.h"
#include "NativeUpdater.h"
#include "UpdateConfiguration.h"
#include "UserDefaults.h"
#include "VelloraCloudSettings.h"
#include "VelloraIcon.h"
#include "VelloraPreferences.h"
#include "VelloraSettingsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

bool put(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The application's objects over a throw-away settings file and cloud folder.
struct Scene {
    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath("Vellora.conf")};
    LibsecretSecretStore store;
    QNetworkAccessManager network;
    std::unique_ptr<VelloraPreferences> preferences;
    std::unique_ptr<NativeAppAppearance> appearance;
    std::unique_ptr<VelloraCloudSettings> cloud;
    std::unique_ptr<NativeUpdater> updater;
    std::unique_ptr<VelloraSettingsWindow> window;
    bool exposed = false;

    QString cloudFile() const { return dir.filePath("cloud/Vellora/config.json"); }

    Scene(const QString &language, bool cloudFolder) {
        defaults.setString("language", language);
        preferences = std::make_unique<VelloraPreferences>(defaults, store, false, QStringList());
        appearance = std::make_unique<NativeAppAppearance>(NativeAccentPalette::Violet, "vellora.accentPalette",
                                                           defaults, VelloraIcon::image);
        if (cloudFolder)
            QDir().mkpath(dir.filePath("cloud"));
        VelloraCloudSettings::Locations locations;
        locations.cloudDriveCandidates = {dir.filePath("cloud")};
        locations.backupFolder = dir.filePath("backups");
        cloud = std::make_unique<VelloraCloudSettings>(*preferences, *appearance, defaults, locations);
        VelloraCloudSettings *controller = cloud.get();
        preferences->setOnConfigurationChange([controller] { controller->save(); });
        updater = std::make_unique<NativeUpdater>(UpdateConfiguration::vellora(), defaults, network);
        window = std::make_unique<VelloraSettingsWindow>(*preferences, *appearance, *cloud, *updater, store, network);
        window->show(VelloraSettingsWindow::General);
        exposed = QTest::qWaitForWindowExposed(window->window());
    }

    ~Scene() {
        window.reset();
        cloud.reset();
    }

    // As the user does: a click on the switch.
    bool switchOn() {
        auto *toggle = window->window()->findChild<QAbstractButton *>(QStringLiteral("cloudSync"));
        if (!toggle)
            return false;
        toggle->click();
        return QTest::qWaitFor([&] { return !cloud->switching() || cloud->choiceDialog(); }, 5000);
    }

    bool waitForStatus(const QString &prefix) {
        return QTest::qWaitFor([&] { return cloud->status().startsWith(prefix); }, 5000);
    }
};

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vellora-cloud-snapshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(output.path());
    AppColorScheme scheme;
    scheme.apply(VelloraPreferences::ColorScheme::Light);

    // Each state: how to reach it, and the status it must show.
    struct State {
        const char *name;
        bool cloudFolder;
        std::function<bool(Scene &)> reach;
    };
    const State states[] = {
        {"off", true,
         [](Scene &scene) {
             return scene.cloud->status() == "仅保存在本机";
         }},
        {"in-step", true,
         [](Scene &scene) {
             if (!scene.switchOn())
                 return false;
             scene.preferences->setColorMode("light");
             return scene.waitForStatus("已同步到 iCloud");
         }},
        {"conflict", true,
         [](Scene &scene) {
             if (!scene.switchOn())
                 return false;
             put(scene.dir.filePath("cloud/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json"), "{}");
             return scene.waitForStatus("iCloud 配置暂不可用：iCloud 配置存在冲突版本");
         }},
        {"too-large", true,
         [](Scene &scene) {
             if (!scene.switchOn())
                 return false;
             put(scene.cloudFile(), QByteArray(5'000'001, ' '));
             return scene.waitForStatus("iCloud 配置暂不可用：配置文件超过 5 MB。");
         }},
        {"no-folder", false,
         [](Scene &scene) {
             return scene.switchOn() && scene.waitForStatus("未找到 iCloud Drive");
         }},
        {"choice", true,
         [](Scene &scene) {
             VelloraCloudSettings::Configuration other = scene.cloud->current();
             other.aiModel = "from another computer";
             put(scene.cloudFile(), other.encoded().value());
             return scene.switchOn() && scene.cloud->choiceDialog() &&
                    QTest::qWaitForWindowExposed(scene.cloud->choiceDialog());
         }},
    };

    int failures = 0;
    for (const char *language : {"en", "zh-Hans", "zh-Hant"}) {
        for (const State &state : states) {
            Scene scene(QString::fromLatin1(language), state.cloudFolder);
            const QString path = output.filePath(
                QStringLiteral("cloud-sync-%1-%2.png").arg(QLatin1String(state.name), QLatin1String(language)));
            if (!scene.exposed || !state.reach(scene)) {
                std::fprintf(stderr, "%s: the state did not show (status %s)\n", qPrintable(path),
                             qPrintable(scene.cloud->status()));
                ++failures;
                continue;
            }
            QTest::qWait(300);
            bool saved = false;
            if (QMessageBox *dialog = scene.cloud->choiceDialog()) {
                // The dialog over its window, as on screen.
                const QRect area = scene.window->window()->frameGeometry().united(dialog->frameGeometry());
                QImage shot = QGuiApplication::primaryScreen()
                                  ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                  .toImage();
                // The display has no window manager: the dialog's edge is drawn
                // where its frame would be.
                QPainter painter(&shot);
                painter.setPen(QColor(0, 0, 0, 90));
                painter.drawRect(dialog->frameGeometry().translated(-area.topLeft()).adjusted(0, 0, -1, -1));
                painter.end();
                saved = shot.save(path, "PNG");
                dialog->reject();
            } else {
                saved = scene.window->writeScreenshot(path);
            }
            std::printf("%s\n", qPrintable(path));
            if (!saved)
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

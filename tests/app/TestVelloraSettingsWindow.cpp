#include "VelloraSettingsWindow.h"
#include "HotKeyRoute.h"

#include "HttpsTestServer.h"
#include "KeyringTestSupport.h"
#include "LibsecretSecretStore.h"
#include "NativeAppAppearance.h"
#include "NativeAppearancePicker.h"
#include "NativeUpdater.h"
#include "SettingsControls.h"
#include "SettingsView.h"
#include "SecureConfigurationFileMonitor.h"
#include "ShortcutRecorder.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "VelloraAISettingsView.h"
#include "VelloraCloudSettings.h"
#include "VelloraIcon.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"
#include "XSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const KeyringTestSupport::Attributes keyItem{{"service", "quorvel.vellora.ai"}, {"account", "openai-compatible-key"}};

// An updater for the product "vellora" whose manifest the test server serves.
NativeUpdateConfiguration updateConfiguration(bool enabled, const QString &manifestURL = "https://127.0.0.1/update.json") {
    return NativeUpdateConfiguration("vellora", "Vellora", "quorvel.vellora", "K7Q2W9X4ZP", QUrl(manifestURL),
                                     {"127.0.0.1"}, enabled, {});
}

template <typename T> T *child(QWidget *root, const char *name) {
    T *found = root->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

} // namespace

// Drives the real settings window on the X server of the test session, with
// the test keyring and an HTTPS server on 127.0.0.1.
class TestVelloraSettingsWindow final : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    LibsecretSecretStore m_store;
    QNetworkAccessManager m_network;
    std::unique_ptr<VelloraPreferences> m_preferences;
    std::unique_ptr<NativeAppAppearance> m_appearance;
    std::unique_ptr<VelloraCloudSettings> m_cloud;
    std::unique_ptr<NativeUpdater> m_updater;
    QList<NativeUpdatePrompt> m_prompts;
    std::unique_ptr<VelloraSettingsWindow> m_settings;

    QString cloudFile() const { return m_dir->filePath("cloud/Vellora/config.json"); }

    void makeUpdater(const NativeUpdateConfiguration &configuration) {
        m_settings.reset();
        m_updater = std::make_unique<NativeUpdater>(configuration, *m_defaults, m_network);
        m_updater->setRunningBundle(std::nullopt);
        m_updater->setPreferredLanguages(QStringList{"en"});
        m_updater->setPromptPresenter([this](const NativeUpdatePrompt &prompt, NativeUpdater::Completion done) {
            m_prompts.append(prompt);
            done(false);
        });
        m_settings = std::make_unique<VelloraSettingsWindow>(*m_preferences, *m_appearance, *m_cloud, *m_updater,
                                                             m_store, m_network);
    }

    QWidget *window() const { return m_settings->window(); }
    VelloraAISettingsView *ai() const { return &m_settings->view()->aiSettings(); }

    void open(int tab) {
        m_settings->show(tab);
        QVERIFY(QTest::qWaitForWindowActive(window()));
    }

    // The confirmation once it shows, or nullptr.
    QMessageBox *removalConfirmation() {
        QMessageBox *box = nullptr;
        [[maybe_unused]] const bool shown = QTest::qWaitFor([&] {
            box = window()->findChild<QMessageBox *>("keyRemovalConfirmation");
            return box && box->isVisible();
        });
        return box;
    }

private slots:
    void initTestCase() { KeyringTestSupport::clear(keyItem); }
    void cleanupTestCase() { KeyringTestSupport::clear(keyItem); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_defaults = std::make_unique<UserDefaults>(m_dir->filePath("Vellora.conf"));
        m_defaults->setString("language", "en");
        m_preferences = std::make_unique<VelloraPreferences>(*m_defaults, m_store, true, QStringList());
        m_appearance = std::make_unique<NativeAppAppearance>(NativeAccentPalette::Violet, "vellora.accentPalette",
                                                             *m_defaults, VelloraIcon::image);
        VelloraCloudSettings::Locations locations;
        locations.cloudDriveCandidates = {m_dir->filePath("cloud")};
        locations.backupFolder = m_dir->filePath("backups");
        m_cloud = std::make_unique<VelloraCloudSettings>(*m_preferences, *m_appearance, *m_defaults, locations);
        VelloraCloudSettings *cloud = m_cloud.get();
        m_preferences->setOnConfigurationChange([cloud] { cloud->save(); });
        m_prompts.clear();
        makeUpdater(updateConfiguration(false));
        QTRY_VERIFY(!m_preferences->keyBusy());
    }

    void cleanup() {
        m_settings.reset();
        m_updater.reset();
        QTRY_VERIFY(!m_preferences->keyBusy());
        m_cloud.reset();
        m_appearance.reset();
        m_preferences.reset();
        KeyringTestSupport::clear(keyItem);
    }

    void theWindowIsCreatedOnceAndOnlyHiddenByClosing() {
        QVERIFY(!window());
        QCOMPARE(m_settings->selectedTab(), 0);
        m_settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        QWidget *first = window();
        QCOMPARE(first->size(), QSize(VelloraSettingsWindow::Width, VelloraSettingsWindow::Height));
        QCOMPARE(first->minimumSize(), first->maximumSize());
        QCOMPARE(first->windowTitle(), "Vellora Settings");
        QTabWidget &tabs = m_settings->view()->tabs();
        QCOMPARE(tabs.currentIndex(), 0);
        QCOMPARE(tabs.tabText(0), "General");
        QCOMPARE(tabs.tabText(1), "AI Polish");
        QCOMPARE(tabs.tabText(2), "Appearance");
        QCOMPARE(tabs.tabText(3), "Updates");

        m_settings->show(2);
        QCOMPARE(window(), first);
        QCOMPARE(tabs.currentIndex(), 2);
        QVERIFY(first->close());
        QVERIFY(!first->isVisible());
        QCOMPARE(window(), first);

        // Back where it was; a tag that names no tab changes nothing.
        m_settings->show();
        QVERIFY(first->isVisible());
        QCOMPARE(window(), first);
        QCOMPARE(tabs.currentIndex(), 2);
        m_settings->show(7);
        QCOMPARE(m_settings->selectedTab(), 2);
        tabs.setCurrentIndex(1);
        QCOMPARE(m_settings->selectedTab(), 1);

        // A controller made with an initial tab opens there.
        VelloraSettingsWindow atAI(*m_preferences, *m_appearance, *m_cloud, *m_updater, m_store, m_network, 1);
        atAI.show();
        QCOMPARE(atAI.view()->tabs().currentIndex(), 1);
    }

    // The window on its screen's available area: centred where it fits, as large
    // as the area allows where it does not, never with its top off the screen.
    void placementKeepsTheWindowOnTheScreen_data() {
        QTest::addColumn<QSize>("content");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QSize window(620, 582);
        QTest::newRow("fits: centred") << window << QMargins() << QRect(0, 0, 1600, 1000)
                                       << QRect(490, 209, 620, 582);
        QTest::newRow("1600 x 1000 at twice the scale") << window << QMargins() << QRect(0, 0, 800, 500)
                                                        << QRect(90, 0, 620, 500);
        QTest::newRow("the same with a title bar") << window << QMargins(0, 30, 0, 0) << QRect(0, 0, 800, 500)
                                                   << QRect(90, 30, 620, 470);
        QTest::newRow("below a top panel") << window << QMargins() << QRect(0, 32, 1920, 1048)
                                           << QRect(650, 265, 620, 582);
        QTest::newRow("a second screen on the right") << window << QMargins() << QRect(1920, 0, 1280, 720)
                                                      << QRect(2250, 69, 620, 582);
        QTest::newRow("a screen smaller both ways") << window << QMargins() << QRect(0, 0, 600, 400)
                                                    << QRect(0, 0, 600, 400);
        QTest::newRow("a frame on every side") << window << QMargins(4, 28, 4, 4) << QRect(0, 0, 1366, 728)
                                               << QRect(373, 85, 620, 582);
    }

    void placementKeepsTheWindowOnTheScreen() {
        QFETCH(QSize, content);
        QFETCH(QMargins, frame);
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        const QRect place = VelloraSettingsWindow::placement(content, frame, available);
        QCOMPARE(place, placed);
        QVERIFY(available.contains(place.marginsAdded(frame)));
    }

    void controlsAndPreferencesBindBothWays() {
        open(0);
        auto *hideMenuBarIcon = child<SettingsSwitch>(window(), "hideMenuBarIcon");
        auto *hideDockIcon = child<SettingsSwitch>(window(), "hideDockIcon");
        QCOMPARE(hideMenuBarIcon->isChecked(), false);
        QCOMPARE(hideDockIcon->isChecked(), true);
        QTest::mouseClick(hideMenuBarIcon, Qt::LeftButton);
        QCOMPARE(m_preferences->hideMenuBarIcon(), true);
        QCOMPARE(m_defaults->boolean("hideMenuBarIcon"), std::optional<bool>(true));
        m_preferences->setHideMenuBarIcon(false);
        QCOMPARE(hideMenuBarIcon->isChecked(), false);
        m_preferences->setHideDockIcon(false);
        QCOMPARE(hideDockIcon->isChecked(), false);
        hideDockIcon->setFocus();
        QTest::keyClick(hideDockIcon, Qt::Key_Space);
        QCOMPARE(m_preferences->hideDockIcon(), true);

        auto *language = child<QComboBox>(window(), "language");
        QCOMPARE(language->currentData().toString(), "en");
        QCOMPARE(language->itemText(0), "Use System Setting");
        m_preferences->setLanguage("zh-Hant");
        QCOMPARE(language->currentData().toString(), "zh-Hant");

        open(1);
        auto *baseURL = child<QLineEdit>(window(), "aiBaseURL");
        auto *prompt = child<QPlainTextEdit>(window(), "polishPrompt");
        baseURL->selectAll();
        QTest::keyClicks(baseURL, "https://example.invalid/v1");
        QCOMPARE(m_preferences->aiBaseURL(), "https://example.invalid/v1");
        m_preferences->setAiModel("other-model");
        QCOMPARE(child<QLineEdit>(window(), "aiModel")->text(), "other-model");
        prompt->selectAll();
        QTest::keyClicks(prompt, "Only fix typos.");
        QCOMPARE(m_preferences->polishPrompt(), "Only fix typos.");
        m_preferences->setPolishPrompt("Rewrite.");
        QCOMPARE(prompt->toPlainText(), "Rewrite.");

        open(2);
        auto *colorMode = child<SegmentedControl>(window(), "colorMode");
        QCOMPARE(colorMode->currentIndex(), 0);
        const QRect segments = colorMode->rect();
        QTest::mouseClick(colorMode, Qt::LeftButton, {}, QPoint(segments.width() * 5 / 6, segments.height() / 2));
        QCOMPARE(m_preferences->colorMode(), "dark");
        m_preferences->setColorMode("light");
        QCOMPARE(colorMode->currentIndex(), 1);
    }

    // A prompt past its limit is shown cut, with a notice under the editor in
    // the interface language; a paste that does not fit is cut where it lands.
    void aLongPromptIsShownCutWithANotice() {
        m_preferences->setPolishPrompt(QString(1'000'000, u'x'));
        open(1);
        auto *prompt = child<QPlainTextEdit>(window(), "polishPrompt");
        auto *notice = child<QLabel>(window(), "textLimitNotice");
        QCOMPARE(prompt->toPlainText(), QString(VelloraPreferences::MaximumPromptLength, u'x'));
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), "The polishing prompt is longer than 20,000 characters; the rest was removed.");
        m_preferences->setLanguage("zh-Hant");
        QCOMPARE(notice->text(), "潤飾提示詞超過 20000 個字元，多出的部分已刪去。");
        m_preferences->setLanguage("en");

        prompt->setFocus();
        prompt->selectAll();
        QTest::keyClicks(prompt, "Fix: ");
        QVERIFY(!notice->isVisible());
        QApplication::clipboard()->setText(QString(30'000, u'y'));
        prompt->paste();
        const QString kept = "Fix: " + QString(VelloraPreferences::MaximumPromptLength - 5, u'y');
        QCOMPARE(prompt->toPlainText(), kept);
        QCOMPARE(m_preferences->polishPrompt(), kept);
        QCOMPARE(m_defaults->string("polishPrompt"), std::optional<QString>(kept));
        QVERIFY(notice->isVisible());
    }

    // The permission section offers only what does something: nothing to press
    // where the desktop asks for no permission (X11), the desktop's panel where
    // it has one (a stand-in program on PATH records that it was opened), and
    // where it has none, a plain line that says so.
    void thePermissionSectionOffersOnlyWhatWorks_data() {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("advice");
        QTest::newRow("X11") << qgetenv("DISPLAY") << QByteArray("GNOME")
                             << "This desktop needs no screen capture permission" << QString();
        QTest::newRow("Wayland, GNOME's panel")
            << QByteArray() << QByteArray("GNOME") << "Screen capture is allowed"
            << "If the system asks after you grant access, quit and reopen Vellora.";
        QTest::newRow("Wayland, no panel")
            << QByteArray() << QByteArray("sway") << "Screen capture is allowed"
            << "This desktop asks when you capture; it has no permission settings to open.";
    }

    void thePermissionSectionOffersOnlyWhatWorks() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, desktop);
        QFETCH(QString, status);
        QFETCH(QString, advice);
        QTemporaryDir bin;
        const QString opened = TestSupport::writeRecordingProgram(bin.path(), QStringLiteral("gnome-control-center"));
        QVERIFY(!opened.isEmpty());
        // The window is made for a session with this environment; Qt keeps its own display.
        TestSupport::EnvironmentChange environment;
        environment.set("DISPLAY", display)
            .set("WAYLAND_DISPLAY", display.isEmpty() ? "wayland-vellora-test" : "")
            .set("XDG_CURRENT_DESKTOP", desktop)
            .set("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
        m_settings->show(0);
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        QCOMPARE(child<QLabel>(window(), "permissionStatus")->text(), status);
        auto *adviceLabel = window()->findChild<QLabel *>("permissionAdvice");
        QCOMPARE(adviceLabel ? adviceLabel->text() : QString(), advice);
        const QList<QPushButton *> buttons = window()->findChild<QWidget *>("generalTab")->findChildren<QPushButton *>();
        QStringList names;
        for (const QPushButton *button : buttons) {
            if (button->objectName() != QLatin1String("recordShortcut"))
                names << button->objectName();
        }
        const bool hasPanel = display.isEmpty() && desktop == "GNOME";
        QCOMPARE(names, hasPanel ? QStringList{"openPermissionSettings"} : QStringList());
        if (hasPanel) {
            QTest::mouseClick(child<QPushButton>(window(), "openPermissionSettings"), Qt::LeftButton);
            QTRY_VERIFY(QFile::exists(opened));
            QFile record(opened);
            QVERIFY(record.open(QIODevice::ReadOnly));
            QCOMPARE(record.readAll().trimmed(), "privacy");
        }
    }

    void aLanguageChangeRetranslatesTheWindow() {
        m_preferences->setShortcutError("快捷键已被占用，请重新录制。");
        open(0);
        auto *permission = child<QLabel>(window(), "permissionStatus");
        auto *record = child<QPushButton>(window(), "recordShortcut");
        auto *error = child<QLabel>(window(), "shortcutError");
        // X11 asks for no permission, and the section says so.
        QCOMPARE(permission->text(), "This desktop needs no screen capture permission");
        QCOMPARE(record->text(), "Record Shortcut");
        QCOMPARE(error->text(), "This shortcut is already in use. Record another one.");
        auto *picker = window()->findChild<NativeAppearancePicker *>();
        QCOMPARE(picker->findChild<QLabel *>("appearancePickerTitle")->text(), "Icon & Accent Color");

        m_preferences->setLanguage("zh-Hans");
        QCOMPARE(window()->windowTitle(), "Vellora 设置");
        QCOMPARE(m_settings->view()->tabs().tabText(0), "通用");
        QCOMPARE(permission->text(), "此桌面无需屏幕录制授权");
        QCOMPARE(record->text(), "录制快捷键");
        QCOMPARE(error->text(), "快捷键已被占用，请重新录制。");
        QCOMPARE(picker->findChild<QLabel *>("appearancePickerTitle")->text(), "图标与高亮色");
        QCOMPARE(child<QPushButton>(window(), "saveKey")->text(), "保存密钥");

        m_preferences->setLanguage("zh-Hant");
        QCOMPARE(m_settings->view()->tabs().tabText(0), "一般");
        QCOMPARE(picker->findChild<QLabel *>("appearancePickerTitle")->text(), "圖示與強調色");
    }

    void pickingAPaletteStoresItAndSetsTheWindowIcon() {
        QGuiApplication::setWindowIcon(QIcon());
        open(2);
        auto *ocean = child<NativeAppearanceCard>(window(), "appearanceCard-ocean");
        QTest::mouseClick(ocean, Qt::LeftButton, {}, ocean->rect().center());
        QCOMPARE(m_appearance->selection(), NativeAccentPalette(NativeAccentPalette::Ocean));
        QCOMPARE(m_defaults->string("vellora.accentPalette"), std::optional<QString>("ocean"));
        QVERIFY(!QGuiApplication::windowIcon().isNull());
        QCOMPARE(QGuiApplication::windowIcon().pixmap(64, 64).toImage(),
                 VelloraIcon::image(NativeAccentPalette::Ocean).pixmap(64, 64).toImage());
        // The controls take the new accent.
        QCOMPARE(child<SettingsSwitch>(window(), "hideDockIcon")->palette().color(QPalette::Highlight),
                 NativeAccentPalette(NativeAccentPalette::Ocean).color());
    }

    // The switch shows the controller's state, and its status line follows.
    // Cancelling the choice leaves the switch off; switching on over an empty
    // folder creates the file; a palette picked afterwards is one write.
    void theCloudSwitchFollowsTheController() {
        QVERIFY(QDir().mkpath(m_dir->filePath("cloud/Vellora")));
        {
            QFile file(cloudFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            VelloraCloudSettings::Configuration other = m_cloud->current();
            other.aiModel = "from another machine";
            file.write(other.encoded().value());
        }
        open(0);
        auto *toggle = child<SettingsSwitch>(window(), "cloudSync");
        auto *status = child<QLabel>(window(), "cloudStatus");
        QCOMPARE(toggle->isChecked(), false);
        QCOMPARE(toggle->accessibleName(), "Sync settings through a cloud drive");
        QCOMPARE(status->text(), "Saved on this computer only");

        QTest::mouseClick(toggle, Qt::LeftButton);
        QTRY_VERIFY(m_cloud->choiceDialog() && m_cloud->choiceDialog()->isVisible());
        QMessageBox *dialog = m_cloud->choiceDialog();
        QCOMPARE(dialog->text(), "The cloud drive already has Vellora settings");
        QCOMPARE(dialog->parentWidget(), window());
        QTest::mouseClick(child<QPushButton>(dialog, "cancelCloudChoice"), Qt::LeftButton);
        QTRY_VERIFY(!m_cloud->switching());
        QCOMPARE(toggle->isChecked(), false);
        QCOMPARE(status->text(), "Saved on this computer only");
        QCOMPARE(m_preferences->aiModel(), "deepseek-v4-flash");

        QVERIFY(QFile::remove(cloudFile()));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QTRY_VERIFY(m_cloud->enabled());
        QVERIFY(toggle->isChecked());
        QCOMPARE(status->text(), "Cloud sync is on");
        QVERIFY(QFile::exists(cloudFile()));

        int writes = 0;
        SecureConfigurationFileMonitor counter(cloudFile(), [&] { ++writes; });
        QVERIFY(counter.start());
        open(2);
        auto *ocean = child<NativeAppearanceCard>(window(), "appearanceCard-ocean");
        QTest::mouseClick(ocean, Qt::LeftButton, {}, ocean->rect().center());
        QTRY_COMPARE(writes, 1);
        QTest::qWait(500);
        QCOMPARE(writes, 1);
        QFile written(cloudFile());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("\"accentPalette\":\"ocean\""));
        QCOMPARE(status->text(), "Synced to the cloud drive");

        m_preferences->setLanguage("zh-Hant");
        QCOMPARE(status->text(), "已同步到雲端硬碟");
        m_cloud->setEnabled(false);
        QCOMPARE(toggle->isChecked(), false);
        QCOMPARE(status->text(), "僅儲存在本機");
    }

    // Every status the user can bring about, in every language, stays one line
    // beside the switch: cut with "…" where it is too wide, the whole text then
    // in the tooltip, always in the accessible name; the tab still fits.
    void theCloudStatusStaysOneLineBesideTheSwitch_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("status");
        const QList<std::pair<const char *, const char *>> states{
            {"off", "仅保存在本机"},
            {"on", "已启用 iCloud 同步"},
            {"in step", "已同步到 iCloud"},
            {"from the cloud", "已从 iCloud 同步"},
            {"no folder", "未找到 iCloud Drive，请先在系统设置中开启。"},
            {"not downloaded", "iCloud 配置不可用：配置文件暂不可用。"},
            {"conflict at switching on", "iCloud 配置不可用：iCloud 配置存在冲突版本，请在访达中处理后重新加载。"},
            {"conflict", "iCloud 配置暂不可用：iCloud 配置存在冲突版本，请在访达中处理后重新加载。"},
            {"too large", "iCloud 配置暂不可用：配置文件超过 5 MB。"},
        };
        for (const char *language : {"en", "zh-Hans", "zh-Hant"}) {
            for (const auto &[state, status] : states)
                QTest::addRow("%s, %s", language, state)
                    << QString::fromLatin1(language) << QString::fromLatin1(state) << QString::fromUtf8(status);
        }
    }

    void theCloudStatusStaysOneLineBesideTheSwitch() {
        QFETCH(QString, language);
        QFETCH(QString, state);
        QFETCH(QString, status);
        const QString folder = m_dir->filePath("cloud/Vellora");
        auto put = [](const QString &path, const QByteArray &bytes) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
        };
        const QString conflictCopy = folder + "/config.sync-conflict-20240101-101010-ABCDEFG.json";
        m_preferences->setLanguage(language);
        if (state != QLatin1String("no folder"))
            QVERIFY(QDir().mkpath(folder));
        if (state == QLatin1String("not downloaded"))
            QVERIFY(put(folder + "/.config.json.icloud", "placeholder"));
        if (state == QLatin1String("conflict at switching on"))
            QVERIFY(put(conflictCopy, "{}"));
        if (state != QLatin1String("off")) {
            m_cloud->setEnabled(true);
            QTRY_VERIFY(!m_cloud->switching());
        }
        if (state == QLatin1String("in step")) {
            m_preferences->setColorMode("dark");
        } else if (state == QLatin1String("from the cloud")) {
            VelloraCloudSettings::Configuration other = m_cloud->current();
            other.aiModel = "from another computer";
            QVERIFY(put(cloudFile(), other.encoded().value()));
        } else if (state == QLatin1String("conflict")) {
            QVERIFY(put(conflictCopy, "{}"));
        } else if (state == QLatin1String("too large")) {
            QVERIFY(put(cloudFile(), QByteArray(5'000'001, ' ')));
        }
        QTRY_COMPARE(m_cloud->status(), status);

        open(0);
        auto *line = child<SettingsCaption>(window(), "cloudStatus");
        auto *toggle = child<SettingsSwitch>(window(), "cloudSync");
        const QString whole = m_cloud->statusText(language);
        QCOMPARE(line->singleLineText(), whole);
        QCOMPARE(line->accessibleName(), whole);
        QVERIFY2(line->height() < 2 * line->fontMetrics().lineSpacing(), qPrintable(QString::number(line->height())));
        if (line->text() == whole) {
            QVERIFY(line->toolTip().isEmpty());
        } else {
            QVERIFY2(line->text().endsWith(QChar(0x2026)), qPrintable(line->text()));
            QCOMPARE(line->toolTip(), whole);
        }
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->contentsRect().width());
        const QRect lineRect(line->mapTo(window(), QPoint(0, 0)), line->size());
        const QRect toggleRect(toggle->mapTo(window(), QPoint(0, 0)), toggle->size());
        QVERIFY(!lineRect.intersects(toggleRect));
        auto *area = qobject_cast<QScrollArea *>(m_settings->view()->tabs().currentWidget());
        QVERIFY(area);
        QTRY_COMPARE(area->widget()->height(), area->viewport()->height());
        QVERIFY(!area->verticalScrollBar()->isVisible());
    }

    void recordingTheShortcutFromTheKeyboard() {
        open(0);
        ShortcutRecorder &recorder = m_settings->view()->shortcutRecorder();
        QSignalSpy recordingChanged(m_settings.get(), &VelloraSettingsWindow::shortcutRecordingChanged);
        auto *record = child<QPushButton>(window(), "recordShortcut");
        auto *message = child<QLabel>(window(), "recorderMessage");
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(recorder.recording());
        QCOMPARE(record->text(), "Cancel Recording");
        QCOMPARE(message->text(), "Press a shortcut with Super, Ctrl or Alt; Esc cancels");
        QVERIFY(message->isVisible());
        QCOMPARE(recordingChanged.count(), 1);

        // Real key presses through the X server: Shift alone is refused, then Alt+Super+R.
        QVERIFY(XSupport::xdotool({"key", "shift+a"}));
        QTRY_COMPARE(message->text(), "Include Super, Ctrl or Alt so the shortcut doesn't take over normal typing");
        QVERIFY(recorder.recording());
        QVERIFY(XSupport::xdotool({"key", "alt+super+r"}));
        QTRY_VERIFY(!recorder.recording());
        QCOMPARE(m_preferences->shortcut().keyCode, 15u);
        QCOMPARE(m_preferences->shortcut().modifiers, 2304u);
        QCOMPARE(m_preferences->shortcut().label, "R");
        QCOMPARE(child<QLabel>(window(), "shortcutTitle")->text(), "Alt+Super+R");
        QCOMPARE(record->text(), "Record Shortcut");
        QVERIFY(!message->isVisible());
        QCOMPARE(recordingChanged.count(), 2);

        // The button ends a recording; so do a tab change, another window and closing.
        QTest::mouseClick(record, Qt::LeftButton);
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(!recorder.recording());
        QTest::mouseClick(record, Qt::LeftButton);
        m_settings->view()->tabs().setCurrentIndex(2);
        QVERIFY(!recorder.recording());
        open(0);
        QTest::mouseClick(record, Qt::LeftButton);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!recorder.recording());
        open(0);
        QTest::mouseClick(record, Qt::LeftButton);
        window()->close();
        QVERIFY(!recorder.recording());
        QCOMPARE(m_preferences->shortcutTitle(), "Alt+Super+R");
    }

    // On a desktop whose shortcuts are bound in its own settings, the shortcut
    // section also shows the route and the two commands: the window grows by
    // that much (in every language) rather than leave the section below the fold.
    void theGeneralTabWithTheCaptureCommandsFits_data() {
        QTest::addColumn<QString>("language");
        for (const char *language : {"en", "zh-Hans", "zh-Hant"})
            QTest::newRow(language) << QString::fromLatin1(language);
    }

    void theGeneralTabWithTheCaptureCommandsFits() {
        QFETCH(QString, language);
        m_preferences->setLanguage(language);
        m_settings->setHotKeyRoute(HotKeyRoute::DesktopSettings);
        open(0);
        auto *area = qobject_cast<QScrollArea *>(m_settings->view()->tabs().currentWidget());
        QVERIFY(area);
        auto *commands = child<QLabel>(window(), "captureCommands");
        QVERIFY(commands->isVisible());
        QTRY_COMPARE(area->widget()->height(), area->viewport()->height());
        QVERIFY(!area->verticalScrollBar()->isVisible());
        const QRect place(commands->mapTo(area->viewport(), QPoint(0, 0)), commands->size());
        // Above the fold; the width is the executable's path's (a long one in a build folder).
        QVERIFY2(place.top() >= 0 && place.bottom() <= area->viewport()->rect().bottom(),
                 qPrintable(QStringLiteral("commands at %1,%2 %3x%4, the visible area %5 px high, the window %6")
                                .arg(place.x())
                                .arg(place.y())
                                .arg(place.width())
                                .arg(place.height())
                                .arg(area->viewport()->height())
                                .arg(window()->height())));
        QVERIFY(window()->height() > VelloraSettingsWindow::contentSize(window()->font()).height());
    }

    // The General tab fits the window, in every language and every state of the
    // recorder: no scroll bar, nothing below the visible area, and never a
    // refusal left over from before next to a new recording.
    // With the desktop fonts the setup installs, at the sizes desktops use: Qt's
    // own 9 points, KDE's and Xfce's 10, GNOME's 11.
    void theGeneralTabFitsInEveryState_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("state");
        const QList<std::pair<const char *, int>> fonts{
            {"Noto Sans", 9}, {"Noto Sans", 10}, {"Noto Sans", 11}, {"DejaVu Sans", 10}};
        for (const auto &[font, points] : fonts) {
            for (const char *language : {"en", "zh-Hans", "zh-Hant"}) {
                for (const char *state : {"idle", "recording", "key refused", "combination taken", "recording again"})
                    QTest::addRow("%s %d, %s, %s", font, points, language, state)
                        << QString::fromLatin1(font) << points << QString::fromLatin1(language)
                        << QString::fromLatin1(state);
            }
        }
    }

    void theGeneralTabFitsInEveryState() {
        QFETCH(QString, font);
        QFETCH(int, points);
        QFETCH(QString, language);
        QFETCH(QString, state);
        const QFont before = QApplication::font();
        const auto restoreFont = qScopeGuard([&before] { QApplication::setFont(before); });
        QFont desktopFont(font, points);
        QVERIFY2(QFontInfo(desktopFont).family() == font, qPrintable(QFontInfo(desktopFont).family()));
        QApplication::setFont(desktopFont);
        m_preferences->setLanguage(language);
        // Cloud sync on, with its longest status: a conflict.
        QVERIFY(QDir().mkpath(m_dir->filePath("cloud/Vellora")));
        m_cloud->setEnabled(true);
        QTRY_VERIFY(m_cloud->enabled());
        QFile conflict(m_dir->filePath("cloud/Vellora/config (conflicted copy 2024-01-01 101010).json"));
        QVERIFY(conflict.open(QIODevice::WriteOnly));
        conflict.close();
        QTRY_VERIFY(m_cloud->status().contains("冲突"));
        open(0);
        auto *record = child<QPushButton>(window(), "recordShortcut");
        auto *message = child<QLabel>(window(), "recorderMessage");
        auto *error = child<QLabel>(window(), "shortcutError");
        const QString taken = QStringLiteral("快捷键已被占用，请重新录制。");
        if (state == QLatin1String("recording")) {
            QTest::mouseClick(record, Qt::LeftButton);
        } else if (state == QLatin1String("key refused")) {
            QTest::mouseClick(record, Qt::LeftButton);
            // Shift+A through the application, with its X11 key code, as xcb delivers it.
            QKeyEvent shiftA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, 38, 0, 0, QStringLiteral("A"));
            QApplication::sendEvent(record, &shiftA);
            QVERIFY(message->text() != velloraLocalized(QStringLiteral("按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消"), language));
        } else if (state == QLatin1String("combination taken")) {
            m_preferences->setShortcutError(taken);
        } else if (state == QLatin1String("recording again")) {
            m_preferences->setShortcutError(taken);
            QTest::mouseClick(record, Qt::LeftButton);
        }

        auto *area = qobject_cast<QScrollArea *>(m_settings->view()->tabs().currentWidget());
        QVERIFY(area);
        QWidget *content = area->widget();
        QTRY_COMPARE(content->height(), area->viewport()->height());
        QVERIFY(!area->verticalScrollBar()->isVisible());
        const QRect visible = area->viewport()->rect();
        for (QWidget *widget : content->findChildren<QWidget *>()) {
            if (!widget->isVisible())
                continue;
            const QRect place(widget->mapTo(area->viewport(), QPoint(0, 0)), widget->size());
            QVERIFY2(visible.contains(place), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 is outside %6 px")
                                                             .arg(QString::fromLatin1(widget->metaObject()->className()))
                                                             .arg(place.x())
                                                             .arg(place.y())
                                                             .arg(place.width())
                                                             .arg(place.height())
                                                             .arg(visible.height())));
            // Inside the area, and not squeezed: a caption cut short to make room
            // is as hidden as one below the edge.
            const auto *label = qobject_cast<const QLabel *>(widget);
            const int needed = label && label->wordWrap() ? label->heightForWidth(label->width())
                                                          : widget->minimumSizeHint().height();
            QVERIFY2(widget->height() >= needed, qPrintable(QStringLiteral("%1 \"%2\" is %3 px high of %4")
                                                                .arg(QString::fromLatin1(widget->metaObject()->className()),
                                                                     label ? label->text() : widget->objectName())
                                                                .arg(widget->height())
                                                                .arg(needed)));
        }
        QCOMPARE(message->isVisible(), state.contains(QLatin1String("recording")) || state == QLatin1String("key refused"));
        // A new recording supersedes the last refusal.
        QCOMPARE(error->isVisible(), state == QLatin1String("combination taken"));
        QCOMPARE(m_preferences->shortcutError().isEmpty(), state != QLatin1String("combination taken"));
        m_settings->view()->shortcutRecorder().stop();
    }

    // Tab through each tab's controls: every stop is a control that shows it has
    // the focus, once per round; nothing takes the focus without showing it.
    void everyFocusStopIsVisible_data() {
        QTest::addColumn<int>("tab");
        QTest::newRow("General") << 0;
        QTest::newRow("AI polish") << 1;
        QTest::newRow("Appearance") << 2;
    }

    void everyFocusStopIsVisible() {
        QFETCH(int, tab);
        open(tab);
        // Into the round by the keyboard, as the user comes: styles draw the
        // focus once it has moved by Tab.
        m_settings->view()->tabs().tabBar()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_settings->view()->tabs().tabBar(), Qt::Key_Tab);
        QList<QPointer<QWidget>> stops;
        QList<QImage> focused;
        for (int step = 0; step < 40; ++step) {
            QWidget *current = QApplication::focusWidget();
            QVERIFY(current);
            if (!stops.isEmpty() && current == stops.first())
                break;
            stops.append(current);
            focused.append(current->grab().toImage());
            QTest::keyClick(current, Qt::Key_Tab);
        }
        QVERIFY2(stops.size() > 2 && stops.size() < 40, qPrintable(QString::number(stops.size())));
        for (qsizetype index = 0; index < stops.size(); ++index) {
            QWidget *stop = stops.at(index);
            const QString name = QString::fromLatin1(stop->metaObject()->className()) + u' ' + stop->objectName();
            QVERIFY2(stop->isVisible(), qPrintable(name));
            QVERIFY2(!qobject_cast<QScrollArea *>(stop), qPrintable(name));
            // One stop per control: a second Tab that stays on the same widget moved nothing the user can see.
            QVERIFY2(stops.count(stop) == 1, qPrintable(name));
            // Seen with the focus elsewhere, the control looks different.
            QWidget *other = stops.at((index + 1) % stops.size());
            other->setFocus(Qt::TabFocusReason);
            QVERIFY2(stop->grab().toImage() != focused.at(index), qPrintable(name));
        }
    }

    void savingTheKeyStoresItAndNeverShowsItAgain() {
        open(1);
        auto *draft = child<QLineEdit>(window(), "keyDraft");
        auto *save = child<QPushButton>(window(), "saveKey");
        auto *remove = child<QPushButton>(window(), "deleteKey");
        auto *test = child<QPushButton>(window(), "testConnection");
        QCOMPARE(draft->echoMode(), QLineEdit::Password);
        QCOMPARE(draft->placeholderText(), "API Key");
        QVERIFY(!save->isEnabled());
        QVERIFY(!remove->isVisible());
        QVERIFY(!test->isEnabled());
        QTest::keyClicks(draft, "   ");
        QVERIFY(!save->isEnabled());

        QTest::keyClicks(draft, "sk-test-123 ");
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(draft->text(), "");
        QCOMPARE(ai()->keyDraft(), "");
        QTRY_VERIFY(m_preferences->keySaved());
        QCOMPARE(KeyringTestSupport::lookup(keyItem), std::optional<QByteArray>("sk-test-123"));
        QCOMPARE(draft->placeholderText(), "API key saved; enter a new one to replace it");
        QVERIFY(remove->isVisible());
        QVERIFY(child<QLabel>(window(), "keyStoredNote")->isVisible());
        QTRY_VERIFY(test->isEnabled());
    }

    void theRemovalConfirmationDeletesTheKey() {
        QVERIFY(KeyringTestSupport::store(keyItem, "sk-stored"));
        // A fresh store reads the key state from the keyring.
        m_settings.reset();
        m_cloud.reset();
        m_preferences = std::make_unique<VelloraPreferences>(*m_defaults, m_store, true, QStringList());
        m_cloud = std::make_unique<VelloraCloudSettings>(*m_preferences, *m_appearance, *m_defaults);
        m_settings = std::make_unique<VelloraSettingsWindow>(*m_preferences, *m_appearance, *m_cloud, *m_updater,
                                                             m_store, m_network);
        QTRY_VERIFY(m_preferences->keySaved());
        open(1);
        auto *remove = child<QPushButton>(window(), "deleteKey");
        QVERIFY(remove->isVisible());

        QTest::mouseClick(remove, Qt::LeftButton);
        QMessageBox *box = removalConfirmation();
        QVERIFY(box);
        QCOMPARE(box->text(), "Delete the AI service key?");
        QCOMPARE(box->informativeText(),
                 "You'll need to save this service's API key again before you next use AI polish.");
        QTest::mouseClick(child<QPushButton>(box, "cancelKeyRemoval"), Qt::LeftButton);
        QTRY_VERIFY(!window()->findChild<QMessageBox *>("keyRemovalConfirmation"));
        QTest::qWait(200);
        QVERIFY(!m_preferences->keyBusy());
        QCOMPARE(KeyringTestSupport::lookup(keyItem), std::optional<QByteArray>("sk-stored"));

        QTest::mouseClick(remove, Qt::LeftButton);
        box = removalConfirmation();
        QVERIFY(box);
        QTest::mouseClick(child<QPushButton>(box, "confirmKeyRemoval"), Qt::LeftButton);
        QTRY_VERIFY(!m_preferences->keySaved());
        QCOMPARE(KeyringTestSupport::count(keyItem), 0);
        QVERIFY(!remove->isVisible());
        QCOMPARE(child<QLineEdit>(window(), "keyDraft")->placeholderText(), "API Key");
        QVERIFY(!child<QPushButton>(window(), "testConnection")->isEnabled());
    }

    void theConnectionTestUsesTheStoredKey_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("color");
        QTest::newRow("the service answers") << 200 << "Connection succeeded" << SettingsColors::success();
        QTest::newRow("the service refuses the key")
            << 401 << "Connection failed: The AI service request failed (HTTP 401)." << SettingsColors::failure();
    }

    void theConnectionTestUsesTheStoredKey() {
        QFETCH(int, status);
        QFETCH(QString, shown);
        QFETCH(QColor, color);
        HttpsTestServer server;
        QVERIFY2(server.isListening(), qPrintable(server.errorString()));
        qputenv("VELLORA_EXTRA_CA_CERTS", server.caCertificatePath().toUtf8());
        server.setResponse(status == 200 ? HttpsTestServer::completion("连接成功")
                                         : HttpsTestServer::reply(status, R"({"error":{"message":"bad key"}})"));
        QVERIFY(KeyringTestSupport::store(keyItem, "sk-stored"));
        m_preferences->setKeySaved(true);
        m_preferences->setAiBaseURL(server.url("/v1"));
        m_preferences->setAiModel("test-model");
        open(1);
        // An unsaved draft is never what is tested.
        QTest::keyClicks(child<QLineEdit>(window(), "keyDraft"), "sk-draft");
        auto *test = child<QPushButton>(window(), "testConnection");
        QSignalSpy finished(ai(), &VelloraAISettingsView::connectionTestFinished);
        QTest::mouseClick(test, Qt::LeftButton);
        QCOMPARE(test->text(), "Testing…");
        QVERIFY(!test->isEnabled());
        QVERIFY(finished.wait(30000));
        auto *result = child<SettingsCaption>(window(), "aiTestStatus");
        QCOMPARE(result->text(), shown);
        QCOMPARE(result->textColor(), color);
        QVERIFY(result->isVisible());
        QCOMPARE(test->text(), "Test Connection");
        QVERIFY(test->isEnabled());
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().path, "/v1/chat/completions");
        QCOMPARE(server.requests().first().headers.value("authorization"), "Bearer sk-stored");

        // The result follows the language.
        m_preferences->setLanguage("zh-Hans");
        QVERIFY(result->text().startsWith(status == 200 ? "连接成功" : "连接失败："));
    }

    void theConnectionTestAsksForAKeyWhenNoneIsStored() {
        // keySaved may lag behind the keyring (another program removed the key).
        m_preferences->setKeySaved(true);
        open(1);
        QSignalSpy finished(ai(), &VelloraAISettingsView::connectionTestFinished);
        QTest::mouseClick(child<QPushButton>(window(), "testConnection"), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        QCOMPARE(ai()->aiTestStatus(), "Save an API key first.");
        QCOMPARE(child<SettingsCaption>(window(), "aiTestStatus")->textColor(), SettingsColors::failure());
    }

    void theUpdatesTabOfADevelopmentBuild() {
        open(3);
        QCOMPARE(child<QLabel>(window(), "versionLabel")->text(), "Version \u2014 (\u2014)");
        QCOMPARE(child<SettingsCaption>(window(), "updateStatus")->text(),
                 "Development builds do not update automatically");
        QVERIFY(!child<QProgressBar>(window(), "downloadProgress")->isVisible());
        auto *action = child<QPushButton>(window(), "updateAction");
        QCOMPARE(action->text(), "Check for Updates");
        QVERIFY(action->isEnabled());
        QCOMPARE(child<QPushButton>(window(), "updateHistory")->text(), "View Full Changelog");

        // The switch and the updater's preference, both ways.
        auto *automatic = child<SettingsSwitch>(window(), "automaticallyChecksForUpdates");
        QVERIFY(!automatic->isChecked());
        QTest::mouseClick(automatic, Qt::LeftButton);
        QVERIFY(m_updater->automaticallyChecksForUpdates());
        QCOMPARE(m_defaults->boolean(NativeUpdater::automaticChecksKey("vellora")), true);
        m_updater->setAutomaticallyChecksForUpdates(false);
        QVERIFY(!automatic->isChecked());

        // A development build only says so.
        QTest::mouseClick(action, Qt::LeftButton);
        QCOMPARE(m_prompts.size(), 1);
        QCOMPARE(m_prompts.first().title, "Development builds do not check for production updates.");
    }

    void theUpdatesTabFollowsACheck() {
        HttpsTestServer server;
        QVERIFY2(server.isListening(), qPrintable(server.errorString()));
        qputenv("VELLORA_EXTRA_CA_CERTS", server.caCertificatePath().toUtf8());
        const QJsonObject manifest{{"schemaVersion", 1},
                                   {"product", "vellora"},
                                   {"version", "2.0"},
                                   {"build", 2},
                                   {"downloadURL", "https://127.0.0.1/Vellora.zip"},
                                   {"sha256", QString(64, 'a')}};
        server.setResponse(HttpsTestServer::reply(200, QJsonDocument(manifest).toJson()));
        makeUpdater(updateConfiguration(true, server.url("/downloads/update.json")));
        open(3);
        auto *status = child<SettingsCaption>(window(), "updateStatus");
        auto *action = child<QPushButton>(window(), "updateAction");
        QCOMPARE(status->text(), "Automatic update checks are off");

        QTest::mouseClick(action, Qt::LeftButton);
        QCOMPARE(status->text(), "Checking for updates…");
        QVERIFY(!action->isEnabled());
        QTRY_COMPARE(status->text(), "Version 2.0 is available");
        QCOMPARE(action->text(), "Download Update");
        QVERIFY(action->isEnabled());
        // The button's check is a manual one: it announced the release.
        QCOMPARE(m_prompts.size(), 1);
        QCOMPARE(m_prompts.first().title, "Vellora 2.0 is available");

        // The updater's texts come in the language it is given; the tab's own follow the preference.
        m_updater->setPreferredLanguages(QStringList{"zh-Hant"});
        m_preferences->setLanguage("zh-Hant");
        QCOMPARE(status->text(), "發現新版本 2.0");
        QCOMPARE(action->text(), "下載更新");
        QCOMPARE(m_settings->view()->tabs().tabText(3), "更新");
    }

    void theScreenshotIsThePngOfTheContent() {
        QTemporaryDir dir;
        QVERIFY(!m_settings->writeScreenshot(dir.filePath("none.png")));
        open(1);
        QVERIFY(m_settings->writeScreenshot(dir.filePath("ai.png")));
        const QImage shot(dir.filePath("ai.png"));
        QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(VelloraSettingsWindow::Width, VelloraSettingsWindow::Height));
        QVERIFY(!m_settings->writeScreenshot(dir.filePath("missing/folder/x.png")));
    }
};

QTEST_MAIN(TestVelloraSettingsWindow)
#include "TestVelloraSettingsWindow.moc"

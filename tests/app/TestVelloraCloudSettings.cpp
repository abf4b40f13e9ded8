// Cloud settings sync on real files in a temporary cloud folder: the exact
// bytes of config.json, switching on (with the choice dialog), launch,
// debounced writes, reloads on change notices, conflicts, and the status line
// in every case.
#include "VelloraCloudSettings.h"

#include "LibsecretSecretStore.h"
#include "NativeAppAppearance.h"
#include "SecureConfigurationFileMonitor.h"
#include "UserDefaults.h"
#include "VelloraDefaultPrompt.h"
#include "VelloraIcon.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Configuration = VelloraCloudSettings::Configuration;

Q_DECLARE_METATYPE(Configuration)

namespace {

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray encoded(const Configuration &configuration) {
    const Result<QByteArray> bytes = configuration.encoded();
    return bytes ? bytes.value() : QByteArray("encoding failed");
}

// Settings that differ from the defaults in every field.
Configuration otherSettings() {
    Configuration other;
    other.aiBaseURL = "https://api.example.org/v2";
    other.aiModel = "example-large";
    other.polishPrompt = "Fix typos only.";
    other.hideMenuBarIcon = true;
    other.hideDockIcon = true;
    other.shortcut = CapturedShortcut{15, CapturedShortcut::Option | CapturedShortcut::Command, "R"};
    other.colorMode = "dark";
    other.language = "en";
    other.accentPalette = "ocean";
    return other;
}

constexpr char DefaultFile[] =
    "{\"version\":1,\"aiBaseURL\":\"https:\\/\\/api.deepseek.com\\/v1\",\"aiModel\":\"deepseek-v4-flash\","
    "\"polishPrompt\":\"PROMPT\",\"hideMenuBarIcon\":false,\"hideDockIcon\":true,"
    "\"shortcut\":{\"keyCode\":19,\"modifiers\":4864,\"label\":\"2\"},\"colorMode\":\"system\","
    "\"language\":\"zh-Hans\",\"accentPalette\":\"violet\"}";

} // namespace

class TestVelloraCloudSettings final : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    LibsecretSecretStore m_store;
    std::unique_ptr<VelloraPreferences> m_preferences;
    std::unique_ptr<NativeAppAppearance> m_appearance;
    std::unique_ptr<VelloraCloudSettings> m_cloud;

    QString cloudRoot() const { return m_dir->filePath("cloud"); }
    QString file() const { return cloudRoot() + "/Vellora/config.json"; }
    QString backups() const { return m_dir->filePath("data/Vellora/Configuration Backups"); }

    // The application's objects over a fresh defaults domain; `enabled` as stored.
    void makeApplication(bool enabled = false) {
        m_cloud.reset();
        m_appearance.reset();
        m_preferences.reset();
        m_defaults = std::make_unique<UserDefaults>(m_dir->filePath("Vellora.conf"));
        m_defaults->setString("language", "zh-Hans");
        m_defaults->setBoolean("iCloudSyncEnabled", enabled);
        m_preferences = std::make_unique<VelloraPreferences>(*m_defaults, m_store, false, QStringList());
        m_appearance = std::make_unique<NativeAppAppearance>(NativeAccentPalette::Violet, "vellora.accentPalette",
                                                             *m_defaults, VelloraIcon::image);
        VelloraCloudSettings::Locations locations;
        locations.cloudDriveCandidates = {m_dir->filePath("missing"), cloudRoot()};
        locations.backupFolder = backups();
        m_cloud = std::make_unique<VelloraCloudSettings>(*m_preferences, *m_appearance, *m_defaults, locations);
        // As the application connects them.
        VelloraCloudSettings *cloud = m_cloud.get();
        m_preferences->setOnConfigurationChange([cloud] { cloud->save(); });
        connect(m_appearance.get(), &NativeAppAppearance::selectionChanged, cloud, &VelloraCloudSettings::save);
    }

    // Switches on and waits until the switch settled (or the dialog is up).
    void switchOn() {
        m_cloud->setEnabled(true);
        QTRY_VERIFY(!m_cloud->switching() || (m_cloud->choiceDialog() && m_cloud->choiceDialog()->isVisible()));
    }

    void switchOnInStep() {
        QVERIFY(QDir().mkpath(cloudRoot()));
        switchOn();
        QVERIFY(m_cloud->enabled());
        QCOMPARE(m_cloud->status(), "已启用 iCloud 同步");
    }

    void click(const char *button) {
        QMessageBox *dialog = m_cloud->choiceDialog();
        QVERIFY(dialog);
        auto *found = dialog->findChild<QPushButton *>(button);
        QVERIFY(found);
        found->click();
        QTRY_VERIFY(!m_cloud->switching());
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        makeApplication();
    }

    void cleanup() {
        m_cloud.reset();
        m_appearance.reset();
        m_preferences.reset();
        m_defaults.reset();
    }

    // The bytes a Mac writes for the same settings: keys in the record's
    // order, compact, "/" escaped, control characters as the macOS encoder
    // writes them, everything else as UTF-8.
    void encodedBytes_data() {
        QTest::addColumn<Configuration>("configuration");
        QTest::addColumn<QByteArray>("bytes");
        Configuration defaults;
        defaults.aiBaseURL = "https://api.deepseek.com/v1";
        defaults.aiModel = "deepseek-v4-flash";
        defaults.polishPrompt = "PROMPT";
        defaults.hideDockIcon = true;
        defaults.shortcut = CapturedShortcut::defaultShortcut();
        defaults.colorMode = "system";
        defaults.language = "zh-Hans";
        defaults.accentPalette = "violet";
        QTest::newRow("the defaults") << defaults << QByteArray(DefaultFile);

        Configuration texts = defaults;
        texts.polishPrompt =
            QString::fromUtf8("引号\"、反斜杠\\、斜杠/、换行\n回车\r制表\t退格\b换页\f\x01\x1f\x7f 😀 \u2028");
        texts.shortcut.label = "↩";
        QByteArray expected(DefaultFile);
        expected.replace("PROMPT",
                         "引号\\\"、反斜杠\\\\、斜杠\\/、换行\\n回车\\r制表\\t退格\\b换页\\f\\u0001\\u001f\x7f "
                         "😀 \xe2\x80\xa8");
        expected.replace("\"label\":\"2\"", "\"label\":\"↩\"");
        QTest::newRow("escapes") << texts << expected;

        Configuration noDock = defaults;
        noDock.hideMenuBarIcon = true;
        noDock.hideDockIcon.reset();
        QByteArray absentDock(DefaultFile);
        absentDock.replace("\"hideMenuBarIcon\":false,\"hideDockIcon\":true",
                           "\"hideMenuBarIcon\":true,\"hideDockIcon\":false");
        QTest::newRow("hideDockIcon is always written") << noDock << absentDock;
    }

    void encodedBytes() {
        QFETCH(Configuration, configuration);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encoded(configuration), bytes);
        // And it reads back as the same record (hideDockIcon filled in).
        const Result<Configuration> decoded = Configuration::decode(bytes);
        QVERIFY(decoded);
        Configuration expected = configuration;
        expected.hideDockIcon = configuration.hideDockIcon.value_or(!configuration.hideMenuBarIcon);
        QVERIFY(decoded.value() == expected);
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<QVariant>("hideDockIcon");
        const QByteArray file(DefaultFile);
        const auto with = [&](const char *from, const char *to) {
            return QByteArray(file).replace(from, to);
        };
        QTest::newRow("a file as written") << file << true << QVariant(true);
        QTest::newRow("unknown keys are ignored")
            << with("{\"version\":1,", "{\"version\":1,\"future\":{\"a\":[1,2]},\"x\":null,") << true << QVariant(true);
        QTest::newRow("keys in another order")
            << QByteArray("{\"accentPalette\":\"violet\",\"language\":\"zh-Hans\","
                          "\"colorMode\":\"system\",\"shortcut\":{\"label\":\"2\","
                          "\"modifiers\":4864,\"keyCode\":19},\"hideDockIcon\":true,"
                          "\"hideMenuBarIcon\":false,\"polishPrompt\":\"PROMPT\","
                          "\"aiModel\":\"m\",\"aiBaseURL\":\"https://a\",\"version\":1}")
            << true << QVariant(true);
        QTest::newRow("indented") << with(",", ",\n  ") << true << QVariant(true);
        QTest::newRow("version written as 1.0") << with("\"version\":1,", "\"version\":1.0,") << true << QVariant(true);
        QTest::newRow("hideDockIcon absent, menu bar icon shown")
            << with("\"hideDockIcon\":true,", "") << true << QVariant(true);
        QTest::newRow("hideDockIcon absent, menu bar icon hidden")
            << with("\"hideMenuBarIcon\":false,\"hideDockIcon\":true,", "\"hideMenuBarIcon\":true,") << true
            << QVariant(false);
        QTest::newRow("hideDockIcon null")
            << with("\"hideDockIcon\":true", "\"hideDockIcon\":null") << true << QVariant(true);
        QTest::newRow("version 2") << with("\"version\":1,", "\"version\":2,") << false << QVariant();
        QTest::newRow("version 0") << with("\"version\":1,", "\"version\":0,") << false << QVariant();
        QTest::newRow("version as text") << with("\"version\":1,", "\"version\":\"1\",") << false << QVariant();
        QTest::newRow("version 1.5") << with("\"version\":1,", "\"version\":1.5,") << false << QVariant();
        QTest::newRow("no version") << with("\"version\":1,", "") << false << QVariant();
        QTest::newRow("no aiModel") << with("\"aiModel\":\"deepseek-v4-flash\",", "") << false << QVariant();
        QTest::newRow("no accentPalette") << with(",\"accentPalette\":\"violet\"", "") << false << QVariant();
        QTest::newRow("hideMenuBarIcon as a number")
            << with("\"hideMenuBarIcon\":false", "\"hideMenuBarIcon\":0") << false << QVariant();
        QTest::newRow("hideDockIcon as text")
            << with("\"hideDockIcon\":true", "\"hideDockIcon\":\"true\"") << false << QVariant();
        QTest::newRow("language null") << with("\"language\":\"zh-Hans\"", "\"language\":null") << false << QVariant();
        QTest::newRow("shortcut without label") << with(",\"label\":\"2\"", "") << false << QVariant();
        QTest::newRow("negative modifiers") << with("\"modifiers\":4864", "\"modifiers\":-1") << false << QVariant();
        QTest::newRow("key code beyond 32 bits")
            << with("\"keyCode\":19", "\"keyCode\":4294967296") << false << QVariant();
        QTest::newRow("shortcut as text")
            << with("{\"keyCode\":19,\"modifiers\":4864,\"label\":\"2\"}", "\"2\"") << false << QVariant();
        QTest::newRow("not JSON") << QByteArray("version=1") << false << QVariant();
        QTest::newRow("cut short") << file.left(file.size() - 1) << false << QVariant();
        QTest::newRow("an array") << QByteArray("[1]") << false << QVariant();
        QTest::newRow("empty") << QByteArray() << false << QVariant();
        QTest::newRow("invalid UTF-8") << with("PROMPT", "\xff\xfe") << false << QVariant();
    }

    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, decodes);
        QFETCH(QVariant, hideDockIcon);
        const Result<Configuration> decoded = Configuration::decode(bytes);
        QCOMPARE(decoded.ok(), decodes);
        if (decoded) {
            QCOMPARE(decoded.value().hideDockIcon, std::optional<bool>(hideDockIcon.toBool()));
        } else {
            QCOMPARE(decoded.error().description, "配置文件的格式不正确。");
            if (QTest::currentDataTag() == QByteArray("version 2"))
                QCOMPARE(decoded.error().code, 259);
        }
    }

    void cloudDriveCandidates() {
        QCOMPARE(VelloraCloudSettings::Locations::cloudDriveCandidatesFor("/srv/sync", "/home/u"),
                 QStringList({"/srv/sync", "/home/u/Library/Mobile Documents/com~apple~CloudDocs", "/home/u/Nextcloud",
                              "/home/u/Dropbox", "/home/u/Sync", "/home/u/OneDrive"}));
        QCOMPARE(VelloraCloudSettings::Locations::cloudDriveCandidatesFor("", "/home/u").first(),
                 "/home/u/Library/Mobile Documents/com~apple~CloudDocs");
        const QString root = m_dir->filePath("Dropbox");
        QVERIFY(put(m_dir->filePath("Nextcloud"), "a file, not a folder"));
        QVERIFY(QDir().mkpath(root));
        QCOMPARE(VelloraCloudSettings::cloudDriveRoot({m_dir->filePath("none"), m_dir->filePath("Nextcloud"), root}),
                 std::optional<QString>(root));
        QCOMPARE(VelloraCloudSettings::cloudDriveRoot({m_dir->filePath("none")}), std::nullopt);
    }

    // Turning the switch on, from what the cloud folder holds, through the
    // dialog's answer where one is asked, to the state and the file.
    void switchingOn_data() {
        QTest::addColumn<QString>(
            "folder"); // "none", "empty", "same", "other", "version 2", "conflict", or a placeholder
        QTest::addColumn<QString>("answer"); // the dialog button, or "" when no dialog may show
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("fileAfter"); // "local", "other", "version 2", "none"
        QTest::addColumn<bool>("backup");
        QTest::newRow("no cloud drive") << "none"
                                        << "" << false << "未找到 iCloud Drive，请先在系统设置中开启。"
                                        << "none" << false;
        QTest::newRow("no file yet: created") << "empty"
                                              << "" << true << "已启用 iCloud 同步"
                                              << "local" << false;
        for (const QString &placeholder : VelloraCloudSettings::placeholderNames())
            QTest::addRow("only %s: nothing written", qPrintable(placeholder))
                << placeholder << "" << false << "iCloud 配置不可用：配置文件暂不可用。"
                << "none" << false;
        QTest::newRow("the same settings: no question") << "same"
                                                        << "" << true << "已启用 iCloud 同步"
                                                        << "local" << false;
        QTest::newRow("other settings, cancelled") << "other"
                                                   << "cancelCloudChoice" << false << "仅保存在本机"
                                                   << "other" << false;
        QTest::newRow("other settings, use the cloud's") << "other"
                                                         << "useCloudConfiguration" << true << "已启用 iCloud 同步"
                                                         << "other" << false;
        QTest::newRow("other settings, replace them") << "other"
                                                      << "replaceCloudConfiguration" << true << "已启用 iCloud 同步"
                                                      << "local" << true;
        QTest::newRow("a newer version") << "version 2"
                                         << "" << false << "iCloud 配置不可用：配置文件的格式不正确。"
                                         << "version 2" << false;
        QTest::newRow("a conflict") << "conflict"
                                    << "" << false
                                    << "iCloud 配置不可用：iCloud 配置存在冲突版本，请在访达中处理后重新加载。"
                                    << "other" << false;
    }

    void switchingOn() {
        QFETCH(QString, folder);
        QFETCH(QString, answer);
        QFETCH(bool, enabled);
        QFETCH(QString, status);
        QFETCH(QString, fileAfter);
        QFETCH(bool, backup);
        const QByteArray local = encoded(m_cloud->current());
        const QByteArray other = encoded(otherSettings());
        const QByteArray newer = QByteArray(other).replace("\"version\":1", "\"version\":2");
        if (folder != "none")
            QVERIFY(QDir().mkpath(cloudRoot() + "/Vellora"));
        if (folder == "same")
            QVERIFY(put(file(), local));
        if (folder == "other" || folder == "conflict")
            QVERIFY(put(file(), other));
        if (folder == "conflict")
            QVERIFY(put(cloudRoot() + "/Vellora/config (conflicted copy 2024-01-01).json", local));
        if (folder == "version 2")
            QVERIFY(put(file(), newer));
        if (folder.contains("config.json"))
            QVERIFY(put(cloudRoot() + "/Vellora/" + folder, ""));

        QSignalSpy enabledSignals(m_cloud.get(), &VelloraCloudSettings::enabledChanged);
        switchOn();
        if (!answer.isEmpty()) {
            QVERIFY(m_cloud->choiceDialog());
            // In the interface language (zh-Hans here, whose table says "cloud drive").
            QCOMPARE(m_cloud->choiceDialog()->text(), "云盘中已有 Vellora 配置");
            QCOMPARE(m_cloud->choiceDialog()->informativeText(),
                     velloraLocalized("选择要保留的配置。API Key、授权和屏幕录制权限不会同步。", "zh-Hans"));
            click(qPrintable(answer));
        } else {
            QVERIFY(!m_cloud->choiceDialog());
        }
        QCOMPARE(m_cloud->enabled(), enabled);
        QCOMPARE(m_cloud->status(), status);
        QCOMPARE(m_defaults->boolean("iCloudSyncEnabled"), std::optional<bool>(enabled));
        QCOMPARE(enabledSignals.size(), 1);
        QCOMPARE(enabledSignals.first().first().toBool(), enabled);
        const QByteArray expected = fileAfter == "local"       ? local
                                    : fileAfter == "other"     ? other
                                    : fileAfter == "version 2" ? newer
                                                               : QByteArray();
        QCOMPARE(contents(file()), expected);
        if (answer == "useCloudConfiguration") {
            QVERIFY(m_cloud->current() == otherSettings());
            QCOMPARE(m_appearance->selection(), NativeAccentPalette::Ocean);
        } else {
            QCOMPARE(m_preferences->aiModel(), "deepseek-v4-flash");
        }
        const QStringList backupFiles = QDir(backups()).entryList(QDir::Files);
        QCOMPARE(backupFiles.size(), backup ? 1 : 0);
        if (backup) {
            QVERIFY(QRegularExpression("^icloud-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.json$")
                        .match(backupFiles.first())
                        .hasMatch());
            QCOMPARE(contents(backups() + '/' + backupFiles.first()), other);
        }
        // Turned on, later changes are written; otherwise nothing is.
        m_preferences->setAiModel("after");
        QTest::qWait(600);
        QCOMPARE(contents(file()).contains("\"aiModel\":\"after\""), enabled);
    }

    // What a launch with sync on finds, and whether it then watches the file.
    void launching_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("model");
        QTest::newRow("a file: applied") << "other"
                                         << "已从 iCloud 同步"
                                         << "example-large";
        QTest::newRow("no file yet") << "empty"
                                     << "等待 iCloud 配置下载；不会覆盖云端文件。"
                                     << "deepseek-v4-flash";
        QTest::newRow("no cloud drive") << "none"
                                        << "iCloud 配置暂不可用：配置文件暂不可用。"
                                        << "deepseek-v4-flash";
        QTest::newRow("a conflict") << "conflict"
                                    << "iCloud 配置暂不可用：iCloud 配置存在冲突版本，请在访达中处理后重新加载。"
                                    << "deepseek-v4-flash";
        QTest::newRow("a newer version") << "version 2"
                                         << "iCloud 配置暂不可用：配置文件的格式不正确。"
                                         << "deepseek-v4-flash";
        QTest::newRow("too large") << "large"
                                   << "iCloud 配置暂不可用：配置文件超过 5 MB。"
                                   << "deepseek-v4-flash";
    }

    void launching() {
        QFETCH(QString, folder);
        QFETCH(QString, status);
        QFETCH(QString, model);
        makeApplication(true);
        const QByteArray other = encoded(otherSettings());
        const QByteArray newer = QByteArray(other).replace("\"version\":1", "\"version\":2");
        if (folder != "none")
            QVERIFY(QDir().mkpath(cloudRoot() + "/Vellora"));
        if (folder == "other" || folder == "conflict")
            QVERIFY(put(file(), other));
        if (folder == "conflict")
            QVERIFY(put(cloudRoot() + "/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json", "{}"));
        if (folder == "version 2")
            QVERIFY(put(file(), newer));
        if (folder == "large")
            QVERIFY(put(file(), other + QByteArray(5'000'000, ' ')));
        QVERIFY(m_cloud->enabled());
        QCOMPARE(m_cloud->status(), "仅保存在本机");
        m_cloud->startIfEnabled();
        QTRY_COMPARE(m_cloud->status(), status);
        QCOMPARE(m_preferences->aiModel(), model);
        QVERIFY(m_cloud->enabled());

        // A local change afterwards never overwrites a file that was not read.
        const QByteArray before = contents(file());
        m_preferences->setColorMode("light");
        QTest::qWait(600);
        if (folder == "other") {
            QTRY_COMPARE(m_cloud->status(), "已同步到 iCloud");
            QVERIFY(contents(file()).contains("\"colorMode\":\"light\""));
        } else {
            QCOMPARE(contents(file()), before);
        }
        if (folder == "conflict" || folder == "version 2" || folder == "large") {
            // Repairing the file is picked up: the file is watched all along.
            QVERIFY(QFile::remove(cloudRoot() + "/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json") ||
                    folder != "conflict");
            QVERIFY(put(file(), other));
            QTRY_COMPARE(m_cloud->status(), "已从 iCloud 同步");
            QCOMPARE(m_preferences->aiModel(), "example-large");
        }
    }

    // Five changes inside the pause are one write, 0.35 s after the last.
    void aBurstOfChangesIsOneWrite() {
        switchOnInStep();
        int writes = 0;
        SecureConfigurationFileMonitor counter(file(), [&] { ++writes; });
        QVERIFY(counter.start());
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 5; ++i) {
            m_preferences->setAiModel("model-" + QString::number(i));
            QTest::qWait(50);
        }
        const qint64 lastChange = clock.elapsed();
        QTRY_COMPARE(writes, 1);
        QVERIFY(clock.elapsed() - lastChange >= 300);
        QTest::qWait(500);
        QCOMPARE(writes, 1);
        QVERIFY(contents(file()).contains("\"aiModel\":\"model-4\""));
        QCOMPARE(m_cloud->status(), "已同步到 iCloud");
    }

    // Switching off during the pause writes at once, then stops.
    void switchingOffWritesThePendingChange() {
        switchOnInStep();
        m_preferences->setLanguage("en");
        m_cloud->setEnabled(false);
        QVERIFY(!m_cloud->enabled());
        QCOMPARE(m_cloud->status(), "仅保存在本机");
        QCOMPARE(m_defaults->boolean("iCloudSyncEnabled"), std::optional<bool>(false));
        m_cloud->waitForFileWork();
        QVERIFY(contents(file()).contains("\"language\":\"en\""));
        // Later changes stay here, and the status with them.
        m_preferences->setLanguage("zh-Hant");
        QTest::qWait(600);
        QVERIFY(contents(file()).contains("\"language\":\"en\""));
        QCOMPARE(m_cloud->status(), "仅保存在本机");
    }

    // At termination a waiting write is made at once.
    void flushWritesAtOnce() {
        switchOnInStep();
        m_preferences->setColorMode("dark");
        m_cloud->flushPendingSave();
        m_cloud->waitForFileWork();
        QVERIFY(contents(file()).contains("\"colorMode\":\"dark\""));
        m_cloud->flushPendingSave();
        QTRY_COMPARE(m_cloud->status(), "已同步到 iCloud");
    }

    // Another machine's change arrives through the file and is applied, and
    // applying it writes nothing back.
    void changesFromElsewhereAreApplied() {
        switchOnInStep();
        QSignalSpy statusSignals(m_cloud.get(), &VelloraCloudSettings::statusChanged);
        // Written by hand: spaced and in another key order, so a write-back would show.
        QByteArray edited = encoded(otherSettings());
        edited.replace(",", ", ");
        QVERIFY(put(file(), edited));
        QTRY_COMPARE(m_cloud->status(), "已从 iCloud 同步");
        QVERIFY(m_cloud->current() == otherSettings());
        QTest::qWait(800);
        QCOMPARE(contents(file()), edited);
        QCOMPARE(statusSignals.size(), 1);

        // A palette that this version does not know leaves the palette alone.
        Configuration unknownPalette = otherSettings();
        unknownPalette.accentPalette = "purple";
        unknownPalette.aiModel = "next";
        QVERIFY(put(file(), encoded(unknownPalette)));
        QTRY_COMPARE(m_preferences->aiModel(), "next");
        QCOMPARE(m_appearance->selection(), NativeAccentPalette::Ocean);
    }

    void aMissingDockIconValueFollowsTheMenuBarIcon() {
        switchOnInStep();
        QVERIFY(m_preferences->hideDockIcon());
        QByteArray old = encoded(otherSettings());
        old.replace("\"hideDockIcon\":true,", "");
        QVERIFY(put(file(), old));
        QTRY_COMPARE(m_cloud->status(), "已从 iCloud 同步");
        QCOMPARE(m_preferences->hideMenuBarIcon(), true);
        QCOMPARE(m_preferences->hideDockIcon(), false);
    }

    // The notice of the application's own write changes nothing.
    void ownWritesAreNotReloaded() {
        switchOnInStep();
        m_preferences->setAiModel("own");
        QTRY_COMPARE(m_cloud->status(), "已同步到 iCloud");
        QSignalSpy statusSignals(m_cloud.get(), &VelloraCloudSettings::statusChanged);
        QSignalSpy modelSignals(m_preferences.get(), &VelloraPreferences::aiModelChanged);
        m_cloud->reload();
        QTest::qWait(500);
        QCOMPARE(statusSignals.size(), 0);
        QCOMPARE(modelSignals.size(), 0);
    }

    // While a local change waits, a change notice is ignored; the write then
    // finds the file changed and says so, and overwrites nothing.
    void aPendingChangeMeetsAForeignOne() {
        switchOnInStep();
        m_preferences->setAiModel("local");
        const QByteArray foreign = encoded(otherSettings());
        QVERIFY(put(file(), foreign));
        QTRY_COMPARE(m_cloud->status(), "iCloud 保存失败：配置已被其它设备或程序修改，请重新加载后再编辑。");
        QCOMPARE(m_preferences->aiModel(), "local");
        QCOMPARE(contents(file()), foreign);
        // The next notice loads the file; local edits then go through again.
        m_cloud->reload();
        QTRY_COMPARE(m_cloud->status(), "已从 iCloud 同步");
        QCOMPARE(m_preferences->aiModel(), "example-large");
        m_preferences->setAiModel("local again");
        QTRY_COMPARE(m_cloud->status(), "已同步到 iCloud");
        QVERIFY(contents(file()).contains("local again"));
    }

    // A conflict copy arriving turns the status to the conflict; while it is
    // there nothing is written; resolving it reloads.
    void conflictCopies() {
        switchOnInStep();
        const QByteArray before = contents(file());
        const QString copy = cloudRoot() + "/Vellora/config.sync-conflict-20240101-101010-ABCDEFG.json";
        QVERIFY(put(copy, encoded(otherSettings())));
        QTRY_COMPARE(m_cloud->status(), "iCloud 配置暂不可用：iCloud 配置存在冲突版本，请在访达中处理后重新加载。");
        m_preferences->setAiModel("during the conflict");
        QTRY_COMPARE(m_cloud->status(), "iCloud 保存失败：iCloud 配置存在冲突版本，请在访达中处理后重新加载。");
        QCOMPARE(contents(file()), before);
        // The user keeps the other machine's version.
        QVERIFY(QFile::remove(file()));
        QVERIFY(QFile::rename(copy, file()));
        QTRY_COMPARE(m_cloud->status(), "已从 iCloud 同步");
        QCOMPARE(m_preferences->aiModel(), "example-large");
    }

    // A file removed elsewhere is not written again by a local change.
    void aDeletedFileIsNotRecreated() {
        switchOnInStep();
        QVERIFY(QFile::remove(file()));
        QTRY_VERIFY(m_cloud->status().startsWith("iCloud 配置暂不可用："));
        m_preferences->setAiModel("after deletion");
        QTRY_COMPARE(m_cloud->status(), "等待 iCloud 配置下载；不会覆盖云端文件。");
        QVERIFY(!QFile::exists(file()));
    }

    // The status follows the interface language, also after it was stored.
    void statusTexts_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("en") << "en"
                            << "Cloud sync paused: The file has conflicting copies; keep one in your file manager.";
        QTest::newRow("zh-Hant") << "zh-Hant"
                                 << "雲端設定暫時無法使用：雲端設定檔有衝突的版本，請在檔案管理員中處理後重新載入。";
        QTest::newRow("zh-Hans") << "zh-Hans"
                                 << "云盘配置暂不可用：云盘配置存在冲突版本，请在文件管理器中处理后重新加载。";
    }

    void statusTexts() {
        QFETCH(QString, language);
        QFETCH(QString, text);
        switchOnInStep();
        QVERIFY(put(cloudRoot() + "/Vellora/config (conflicted copy 1).json", "{}"));
        QTRY_VERIFY(m_cloud->status().contains("冲突"));
        QCOMPARE(m_cloud->statusText(language), text);
    }

    // Switching off while the dialog asks closes it and leaves sync off.
    void switchingOffWhileAsked() {
        QVERIFY(put(file(), encoded(otherSettings())));
        switchOn();
        QPointer<QMessageBox> dialog = m_cloud->choiceDialog();
        QVERIFY(dialog);
        m_cloud->setEnabled(false);
        QTRY_VERIFY(!dialog);
        QVERIFY(!m_cloud->switching());
        QVERIFY(!m_cloud->enabled());
        QCOMPARE(m_preferences->aiModel(), "deepseek-v4-flash");
    }
};

QTEST_MAIN(TestVelloraCloudSettings)
#include "TestVelloraCloudSettings.moc"

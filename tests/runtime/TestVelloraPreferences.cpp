#include "VelloraPreferences.h"

#include "KeyringTestSupport.h"
#include "LibsecretSecretStore.h"
#include "UserDefaults.h"
#include "VelloraDefaultPrompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const KeyringTestSupport::Attributes keyItem{{"service", "quorvel.vellora.ai"}, {"account", "openai-compatible-key"}};

// A defaults domain in a temporary file, optionally with INI lines in it.
class Domain final {
public:
    explicit Domain(const QByteArray &iniLines = {}) {
        QFile file(path());
        if (!iniLines.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write("[General]\n" + iniLines);
        file.close();
        defaults = std::make_unique<UserDefaults>(path());
    }

    QString path() const { return m_dir.filePath("Vellora.conf"); }

    // The file as another reader sees it once the domain has been written out.
    QByteArray written() const {
        if (!defaults->synchronize().ok())
            return "synchronize failed=";
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<UserDefaults> defaults;

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestVelloraPreferences final : public QObject {
    Q_OBJECT

    static bool isChild() { return qEnvironmentVariableIsSet("VELLORA_TEST_PREFERENCES_CHILD"); }

private slots:
    void init() {
        if (!isChild())
            KeyringTestSupport::clear(keyItem);
    }
    void cleanupTestCase() { init(); }

    void emptyDomainGivesTheDefaultsAndWritesNothing() {
        Domain domain;
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        QCOMPARE(preferences.language(), "system");
        QCOMPARE(preferences.colorMode(), "system");
        QCOMPARE(preferences.aiBaseURL(), "https://api.deepseek.com/v1");
        QCOMPARE(preferences.aiModel(), "deepseek-v4-flash");
        QCOMPARE(preferences.polishPrompt(), VelloraDefaultPrompt::forLanguage("system"));
        QCOMPARE(preferences.hideMenuBarIcon(), false);
        QCOMPARE(preferences.hideDockIcon(), true);
        QCOMPARE(preferences.shortcut(), CapturedShortcut::defaultShortcut());
        QCOMPARE(preferences.shortcutTitle(), "Ctrl+Shift+Super+2");
        QCOMPARE(preferences.keySaved(), false);
        QCOMPARE(preferences.keyError(), "");
        QCOMPARE(preferences.shortcutError(), "");
        QVERIFY(!domain.written().contains('='));
    }

    void storedValuesAndTheirFallbacks_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("menu-bar icon hidden, Dock icon not stored")
            << QByteArray("hideMenuBarIcon=true\n") << QByteArray("hideDockIcon") << QVariant(false);
        QTest::newRow("Dock icon of another type follows the menu-bar icon")
            << QByteArray("hideMenuBarIcon=true\nhideDockIcon=maybe\n") << QByteArray("hideDockIcon")
            << QVariant(false);
        QTest::newRow("Dock icon stored") << QByteArray("hideMenuBarIcon=false\nhideDockIcon=false\n")
                                          << QByteArray("hideDockIcon") << QVariant(false);
        QTest::newRow("empty model stays empty") << QByteArray("aiModel=\n") << QByteArray("aiModel") << QVariant("");
        QTest::newRow("address as stored") << QByteArray("aiBaseURL=http://localhost:8080/v1\n")
                                           << QByteArray("aiBaseURL") << QVariant("http://localhost:8080/v1");
        QTest::newRow("colour mode as stored, any text")
            << QByteArray("colorMode=Dark\n") << QByteArray("colorMode") << QVariant("Dark");
        QTest::newRow("language as stored, any text")
            << QByteArray("language=fr\n") << QByteArray("language") << QVariant("fr");
        QTest::newRow("shortcut from its JSON data")
            << QByteArray(
                   "shortcut=\"@ByteArray({\\\"keyCode\\\":49,\\\"modifiers\\\":2304,\\\"label\\\":\\\"Space\\\"})\"\n")
            << QByteArray("shortcutTitle") << QVariant("Alt+Super+Space");
        QTest::newRow("shortcut without label falls back")
            << QByteArray("shortcut=\"@ByteArray({\\\"keyCode\\\":49,\\\"modifiers\\\":2304})\"\n")
            << QByteArray("shortcutTitle") << QVariant("Ctrl+Shift+Super+2");
        QTest::newRow("shortcut stored as text falls back")
            << QByteArray("shortcut=\"{\\\"keyCode\\\":49,\\\"modifiers\\\":2304,\\\"label\\\":\\\"Space\\\"}\"\n")
            << QByteArray("shortcutTitle") << QVariant("Ctrl+Shift+Super+2");
    }

    void storedValuesAndTheirFallbacks() {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);
        Domain domain(ini);
        LibsecretSecretStore store;
        const VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        QCOMPARE(preferences.property(property.constData()), expected);
    }

    void legacyPromptIsReplacedAndWrittenBack_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected");
        const QStringList legacy = VelloraDefaultPrompt::legacy();
        QTest::newRow("legacy English under zh-Hant")
            << "zh-Hant" << QVariant(legacy.at(2)) << VelloraDefaultPrompt::traditional();
        QTest::newRow("legacy Simplified under en")
            << "en" << QVariant(legacy.at(0)) << VelloraDefaultPrompt::english();
        QTest::newRow("one character off a legacy prompt")
            << "zh-Hant" << QVariant(legacy.at(2) + " ") << QString(legacy.at(2) + " ");
        QTest::newRow("current default of another language stays")
            << "en" << QVariant(VelloraDefaultPrompt::simplified()) << VelloraDefaultPrompt::simplified();
        QTest::newRow("no prompt stored") << "zh-Hans" << QVariant() << VelloraDefaultPrompt::simplified();
    }

    void legacyPromptIsReplacedAndWrittenBack() {
        QFETCH(QString, language);
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);
        Domain domain;
        domain.defaults->setString("language", language);
        if (stored.isValid())
            domain.defaults->setString("polishPrompt", stored.toString());
        LibsecretSecretStore store;
        const VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        QCOMPARE(preferences.polishPrompt(), expected);
        // Written back only when a legacy prompt was replaced.
        const bool replaced = stored.isValid() && stored.toString() != expected;
        QCOMPARE(domain.defaults->string("polishPrompt"),
                 replaced || stored.isValid() ? std::optional<QString>(expected) : std::nullopt);
    }

    // Texts past their limit (a settings file edited by hand or synced from
    // elsewhere, a paste) are cut when read or assigned, never inside a
    // surrogate pair, and the notice says which was cut. A stored text is left
    // as it is in the file until the setting is assigned again.
    void longTextsAreCutWithANotice_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("assigned");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("notice");
        const QString prompt(VelloraPreferences::MaximumPromptLength, u'x');
        const QString pair = QStringLiteral("\U0001F600");
        const QString url =
            QStringLiteral("https://example.com/") + QString(VelloraPreferences::MaximumBaseURLLength - 20, u'a');
        const QString model(VelloraPreferences::MaximumModelLength, u'm');
        for (const bool assigned : {false, true}) {
            const char *how = assigned ? "assigned" : "stored";
            QTest::addRow("%s: a megabyte of prompt without spaces", how)
                << QByteArray("polishPrompt") << assigned << QString(1'000'000, u'x') << prompt
                << VelloraPreferences::promptCutNotice();
            QTest::addRow("%s: a prompt at the limit", how)
                << QByteArray("polishPrompt") << assigned << prompt << prompt << QString();
            QTest::addRow("%s: a pair across the limit", how)
                << QByteArray("polishPrompt") << assigned << QString(prompt.chopped(1) + pair + u'y')
                << prompt.chopped(1) << VelloraPreferences::promptCutNotice();
            QTest::addRow("%s: a pair ending at the limit", how)
                << QByteArray("polishPrompt") << assigned << QString(prompt.chopped(2) + pair + u'y')
                << QString(prompt.chopped(2) + pair) << VelloraPreferences::promptCutNotice();
            QTest::addRow("%s: an address one too long", how)
                << QByteArray("aiBaseURL") << assigned << QString(url + u'a') << url
                << VelloraPreferences::baseURLCutNotice();
            QTest::addRow("%s: an address at the limit", how)
                << QByteArray("aiBaseURL") << assigned << url << url << QString();
            QTest::addRow("%s: a model name twice too long", how)
                << QByteArray("aiModel") << assigned << QString(model + model) << model
                << VelloraPreferences::modelCutNotice();
        }
    }

    void longTextsAreCutWithANotice() {
        QFETCH(QByteArray, key);
        QFETCH(bool, assigned);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, notice);
        Domain domain("language=en\n");
        if (!assigned)
            domain.defaults->setString(key, text);
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        QSignalSpy noticeChanged(&preferences, &VelloraPreferences::textLimitNoticeChanged);
        if (assigned)
            QVERIFY(preferences.setProperty(key.constData(), text));

        QCOMPARE(preferences.property(key.constData()).toString(), expected);
        QCOMPARE(preferences.textLimitNotice(), notice);
        QCOMPARE(noticeChanged.isEmpty(), !assigned || notice.isEmpty());
        // What was read stays in the file; what was assigned is stored as kept.
        QCOMPARE(domain.defaults->string(key), std::optional<QString>(assigned ? expected : text));

        // The next text that fits clears the notice.
        preferences.setProperty(key.constData(), QStringLiteral("short"));
        QCOMPARE(preferences.textLimitNotice(), QString());
    }

    // Every assignment, the same value twice included, writes the domain and
    // runs its callbacks in a fixed order; the callbacks see the value stored.
    void assignmentSideEffects_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("calls");
        const QStringList configuration{"configuration"};
        QTest::newRow("aiBaseURL") << QByteArray("aiBaseURL") << QVariant("https://example.test/v1") << "aiBaseURL"
                                   << QVariant("https://example.test/v1") << configuration;
        QTest::newRow("aiModel, empty") << QByteArray("aiModel") << QVariant("") << "aiModel" << QVariant("")
                                        << configuration;
        QTest::newRow("polishPrompt") << QByteArray("polishPrompt") << QVariant("Fix typos.") << "polishPrompt"
                                      << QVariant("Fix typos.") << configuration;
        QTest::newRow("hideMenuBarIcon") << QByteArray("hideMenuBarIcon") << QVariant(true) << "hideMenuBarIcon"
                                         << QVariant(true) << QStringList{"visibility", "configuration"};
        QTest::newRow("hideDockIcon") << QByteArray("hideDockIcon") << QVariant(false) << "hideDockIcon"
                                      << QVariant(false) << QStringList{"visibility", "configuration"};
        const CapturedShortcut space{49, 2304, "Space"};
        QTest::newRow("shortcut") << QByteArray("shortcut") << QVariant::fromValue(space) << "shortcut"
                                  << QVariant(space.toJson()) << QStringList{"shortcut", "configuration"};
        QTest::newRow("colorMode dark") << QByteArray("colorMode") << QVariant("dark") << "colorMode"
                                        << QVariant("dark") << QStringList{"color Dark", "configuration"};
        QTest::newRow("colorMode Dark is system") << QByteArray("colorMode") << QVariant("Dark") << "colorMode"
                                                  << QVariant("Dark") << QStringList{"color System", "configuration"};
        QTest::newRow("language, custom prompt kept") << QByteArray("language") << QVariant("en") << "language"
                                                      << QVariant("en") << QStringList{"language", "configuration"};
        QTest::newRow("keySaved is not persisted")
            << QByteArray("keySaved") << QVariant(true) << "keySaved" << QVariant() << QStringList();
        QTest::newRow("keyError is not persisted")
            << QByteArray("keyError") << QVariant("x") << "keyError" << QVariant() << QStringList();
        QTest::newRow("shortcutError is not persisted")
            << QByteArray("shortcutError") << QVariant("taken") << "shortcutError" << QVariant() << QStringList();
    }

    void assignmentSideEffects() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QStringList, calls);
        Domain domain("polishPrompt=custom\n");
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        QStringList log;
        const auto record = [&](const QString &name) {
            return [&log, &domain, &key, name] {
                QVERIFY2(domain.defaults->contains(key), "a callback ran before the value was written");
                log << name;
            };
        };
        preferences.setOnVisibilityChange(record("visibility"));
        preferences.setOnShortcutChange(record("shortcut"));
        preferences.setOnLanguageChange(record("language"));
        preferences.setOnConfigurationChange(record("configuration"));
        preferences.setColorSchemeApplier([&log](VelloraPreferences::ColorScheme scheme) {
            log << QStringLiteral("color ") +
                       QMetaEnum::fromType<VelloraPreferences::ColorScheme>().valueToKey(static_cast<int>(scheme));
        });
        const int signalIndex = preferences.metaObject()->indexOfProperty(property.constData());
        QSignalSpy changed(&preferences, preferences.metaObject()->property(signalIndex).notifySignal());

        QVERIFY(preferences.setProperty(property.constData(), value));
        QVERIFY(preferences.setProperty(property.constData(), value));

        QCOMPARE(log, calls + calls);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(preferences.property(property.constData()), value);
        const QVariant written = stored.typeId() == QMetaType::Bool         ? read(domain.defaults->boolean(key))
                                 : stored.typeId() == QMetaType::QByteArray ? read(domain.defaults->data(key))
                                                                            : read(domain.defaults->string(key));
        QCOMPARE(written, stored);
    }

    void promptFollowsTheLanguage_data() {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("configurationCalls");
        const QString simplified = VelloraDefaultPrompt::simplified();
        QTest::newRow("Simplified default to en") << simplified << "en" << VelloraDefaultPrompt::english() << 2;
        QTest::newRow("legacy English to zh-Hant")
            << VelloraDefaultPrompt::legacy().at(2) << "zh-Hant" << VelloraDefaultPrompt::traditional() << 2;
        QTest::newRow("default to an unknown language")
            << VelloraDefaultPrompt::traditional() << "fr" << VelloraDefaultPrompt::forLanguage("fr") << 2;
        QTest::newRow("edited default stays") << simplified + "!"
                                              << "en" << QString(simplified + "!") << 1;
        QTest::newRow("custom prompt stays") << "Only fix typos."
                                             << "en"
                                             << "Only fix typos." << 1;
    }

    void promptFollowsTheLanguage() {
        QFETCH(QString, prompt);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QFETCH(int, configurationCalls);
        Domain domain("language=zh-Hans\n");
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, false, QStringList());
        preferences.setPolishPrompt(prompt);
        QStringList log;
        preferences.setOnLanguageChange([&] { log << "language"; });
        preferences.setOnConfigurationChange([&] { log << "configuration"; });
        QSignalSpy promptChanged(&preferences, &VelloraPreferences::polishPromptChanged);

        preferences.setLanguage(language);

        QCOMPARE(preferences.polishPrompt(), expected);
        QCOMPARE(domain.defaults->string("polishPrompt"), std::optional<QString>(expected));
        QCOMPARE(promptChanged.count(), configurationCalls - 1);
        QCOMPARE(log.count("configuration"), configurationCalls);
        QCOMPARE(log.last(), "configuration");
        QCOMPARE(log.at(log.size() - 2), "language");
    }

    void colorSchemeFor_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<VelloraPreferences::ColorScheme>("scheme");
        QTest::newRow("light") << "light" << VelloraPreferences::ColorScheme::Light;
        QTest::newRow("dark") << "dark" << VelloraPreferences::ColorScheme::Dark;
        QTest::newRow("system") << "system" << VelloraPreferences::ColorScheme::System;
        QTest::newRow("capital D") << "Dark" << VelloraPreferences::ColorScheme::System;
        QTest::newRow("padded") << " dark" << VelloraPreferences::ColorScheme::System;
        QTest::newRow("empty") << "" << VelloraPreferences::ColorScheme::System;
    }

    void colorSchemeFor() {
        QFETCH(QString, mode);
        QFETCH(VelloraPreferences::ColorScheme, scheme);
        QCOMPARE(VelloraPreferences::colorSchemeFor(mode), scheme);
    }

    void keySavedAtStart_data() {
        QTest::addColumn<QVariant>("storedKey");
        QTest::addColumn<bool>("readKey");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("keySaved");
        QTest::addColumn<QString>("keyError");
        const QStringList plain{"vellora"};
        QTest::newRow("key stored") << QVariant("sk-stored") << true << plain << false << true << "";
        QTest::newRow("empty key stored") << QVariant("") << true << plain << false << true << "";
        QTest::newRow("no key") << QVariant() << true << plain << false << false << "";
        QTest::newRow("key stored, reading not allowed") << QVariant("sk-stored") << false << plain << false << false
                                                         << "";
        QTest::newRow("key stored, settings preview")
            << QVariant("sk-stored") << true << QStringList{"vellora", "--open-settings-preview"} << false << false
            << "";
        // The key may well be there: the settings say the keyring is locked.
        QTest::newRow("key stored, keyring locked")
            << QVariant("sk-stored") << true << plain << true << false << "钥匙串已锁定，请先解锁后重试。";
    }

    void keySavedAtStart() {
        QFETCH(QVariant, storedKey);
        QFETCH(bool, readKey);
        QFETCH(QStringList, arguments);
        QFETCH(bool, locked);
        QFETCH(bool, keySaved);
        QFETCH(QString, keyError);
        if (storedKey.isValid())
            QVERIFY(KeyringTestSupport::store(keyItem, storedKey.toString().toUtf8()));
        if (locked)
            QVERIFY(KeyringTestSupport::lockDefaultCollection());
        const auto unlock = qScopeGuard([locked] {
            if (locked)
                QVERIFY(KeyringTestSupport::unlockDefaultCollection());
        });
        Domain domain;
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, readKey, arguments);
        QTRY_VERIFY(!preferences.keyBusy());
        QCOMPARE(preferences.keySaved(), keySaved);
        QCOMPARE(preferences.keyError(), keyError);
    }

    void saveKeyStoresTrimmedOrDeletes() {
        Domain domain;
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, true, QStringList());
        QTRY_VERIFY(!preferences.keyBusy());
        QSignalSpy busy(&preferences, &VelloraPreferences::keyBusyChanged);

        preferences.saveKey("  sk-测试 \n");
        QVERIFY(preferences.keyBusy());
        QTRY_VERIFY(!preferences.keyBusy());
        QCOMPARE(busy.count(), 2);
        QCOMPARE(KeyringTestSupport::lookup(keyItem), std::optional<QByteArray>("sk-测试"));
        QVERIFY(preferences.keySaved());
        QCOMPARE(preferences.keyError(), "");

        preferences.saveKey(" \t ");
        QTRY_VERIFY(!preferences.keyBusy());
        QVERIFY(!KeyringTestSupport::lookup(keyItem).has_value());
        QVERIFY(!preferences.keySaved());

        // Deleting when nothing is stored is no error either.
        preferences.setKeySaved(true);
        preferences.saveKey("");
        QTRY_VERIFY(!preferences.keyBusy());
        QVERIFY(!preferences.keySaved());
        QCOMPARE(preferences.keyError(), "");
    }

    // Saves asked for in quick succession reach the keyring in that order.
    void saveKeyKeepsTheOrderOfRequests() {
        Domain domain;
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, true, QStringList());
        QList<bool> keySavedSeen;
        connect(&preferences, &VelloraPreferences::keySavedChanged, [&] { keySavedSeen << preferences.keySaved(); });
        for (const char *typed : {"sk-a", "sk-b", "", "sk-c", "sk-d", " "})
            preferences.saveKey(typed);
        preferences.saveKey("sk-last");
        QTRY_VERIFY(!preferences.keyBusy());
        QCOMPARE(KeyringTestSupport::lookup(keyItem), std::optional<QByteArray>("sk-last"));
        QCOMPARE(keySavedSeen, (QList<bool>{false, true, true, false, true, true, false, true}));
    }

    void saveKeyFailureLandsInKeyError_data() {
        QTest::addColumn<QString>("standardLanguage");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("language of the standard domain: en") << "en"
                                                             << "Couldn't save the key: ";
        QTest::newRow("language of the standard domain: zh-Hant") << "zh-Hant"
                                                                  << "無法儲存金鑰：";
        QTest::newRow("standard domain without language, Chinese system") << ""
                                                                          << "保存密钥失败：";
    }

    void saveKeyFailureLandsInKeyError() {
        if (isChild())
            QSKIP("runs in the parent only");
        QFETCH(QString, standardLanguage);
        QFETCH(QString, prefix);
        QTemporaryDir configHome;
        if (!standardLanguage.isEmpty()) {
            QVERIFY(QDir(configHome.path()).mkpath("Vellora"));
            QFile file(configHome.filePath("Vellora/Vellora.conf"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\nlanguage=" + standardLanguage.toUtf8() + "\n");
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VELLORA_TEST_PREFERENCES_CHILD", prefix);
        environment.insert("XDG_CONFIG_HOME", configHome.path());
        environment.insert("LANGUAGE", "zh_CN");
        environment.insert("LANG", "zh_CN.UTF-8");
        const auto result = KeyringTestSupport::runWithoutSecretService(
            QCoreApplication::applicationFilePath(), {"saveKeyWithoutKeyringService"}, {}, environment);
        QVERIFY2(result.finished && result.exitCode == 0,
                 QByteArray(result.standardOutput + result.standardError).constData());
    }

    // Runs in the child that saveKeyFailureLandsInKeyError starts.
    void saveKeyWithoutKeyringService() {
        if (!isChild())
            QSKIP("runs in a child without a keyring service");
        // The store's own domain says zh-Hans; the message follows the standard domain.
        Domain domain("language=zh-Hans\n");
        LibsecretSecretStore store;
        VelloraPreferences preferences(*domain.defaults, store, true, QStringList());
        QTRY_VERIFY(!preferences.keyBusy());
        QVERIFY(!preferences.keySaved());
        QCOMPARE(preferences.keyError(), "");

        preferences.setKeySaved(true);
        preferences.saveKey("sk-nowhere");
        QTRY_VERIFY(!preferences.keyBusy());
        const QString prefix = qEnvironmentVariable("VELLORA_TEST_PREFERENCES_CHILD");
        QVERIFY2(preferences.keyError().startsWith(prefix), qPrintable(preferences.keyError()));
        QVERIFY2(preferences.keyError().contains("no keyring service is running"), qPrintable(preferences.keyError()));
        QVERIFY(preferences.keySaved());
    }

private:
    template <typename T> static QVariant read(const std::optional<T> &value) {
        return value ? QVariant::fromValue(*value) : QVariant();
    }
};

QTEST_GUILESS_MAIN(TestVelloraPreferences)
#include "TestVelloraPreferences.moc"

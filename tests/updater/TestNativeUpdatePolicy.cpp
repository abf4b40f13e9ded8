#include "NativeUpdatePolicy.h"

#include "AppBundle.h"
#include "NativeAppVersion.h"
#include "NativeUpdateManifest.h"
#include "UpdaterLocalization.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

NativeUpdateConfiguration configuration() {
    return NativeUpdateConfiguration("vellora", "Vellora", "quorvel.vellora", "K7Q2W9X4ZP",
                                     QUrl("https://vellora.quorvel.app/downloads/update.json"),
                                     {"vellora.quorvel.app", "mirror.example.net"}, true, {});
}

const QByteArray digest(64, 'a');

// A valid manifest's JSON with one key replaced (or removed, with an empty value).
QByteArray manifestJson(const QByteArray &key = {}, const QByteArray &value = {}) {
    QMap<QByteArray, QByteArray> fields{{"schemaVersion", "1"},
                                        {"product", "\"vellora\""},
                                        {"version", "\"2.0\""},
                                        {"build", "7"},
                                        {"downloadURL", "\"https://vellora.quorvel.app/downloads/Vellora-2.0.zip\""},
                                        {"sha256", '"' + digest + '"'}};
    if (!key.isEmpty()) {
        if (value.isEmpty())
            fields.remove(key);
        else
            fields[key] = value;
    }
    QByteArrayList members;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        members.append('"' + it.key() + "\":" + it.value());
    return '{' + members.join(',') + '}';
}

} // namespace

class TestNativeUpdatePolicy final : public QObject {
    Q_OBJECT

private slots:
    void decodingIsStrictAboutRequiredKeys_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<qint64>("error"); // 0: decodes
        QTest::newRow("valid") << manifestJson() << qint64(0);
        QTest::newRow("unknown keys are ignored") << manifestJson("extra", "[1,2]") << qint64(0);
        QTest::newRow("build 7.0 is a whole number") << manifestJson("build", "7.0") << qint64(0);
        QTest::newRow("null notes are absent") << manifestJson("releaseNotes", "null") << qint64(0);
        QTest::newRow("not JSON") << QByteArray("<html>") << qint64(1);
        QTest::newRow("an array") << QByteArray("[]") << qint64(1);
        QTest::newRow("build missing") << manifestJson("build") << qint64(2);
        QTest::newRow("product null") << manifestJson("product", "null") << qint64(2);
        QTest::newRow("build as text") << manifestJson("build", "\"7\"") << qint64(1);
        QTest::newRow("build with a fraction") << manifestJson("build", "7.5") << qint64(1);
        QTest::newRow("version as a number") << manifestJson("version", "2") << qint64(1);
        QTest::newRow("download address no URL") << manifestJson("downloadURL", "\"\"") << qint64(1);
        QTest::newRow("download address with spaces") << manifestJson("downloadURL", "\"https://a b/c\"") << qint64(1);
        QTest::newRow("notes by locale not text") << manifestJson("releaseNotesByLocale", "{\"en\":1}") << qint64(1);
        QTest::newRow("notes not text") << manifestJson("releaseNotes", "[]") << qint64(1);
    }

    void decodingIsStrictAboutRequiredKeys() {
        QFETCH(QByteArray, json);
        QFETCH(qint64, error);
        const Result<NativeUpdateManifest> manifest = NativeUpdateManifest::decode(json);
        if (error == 0) {
            QVERIFY(manifest.ok());
            QCOMPARE(manifest.value().build, 7);
            QCOMPARE(manifest.value().downloadURL.host(), "vellora.quorvel.app");
        } else {
            QVERIFY(!manifest.ok());
            QCOMPARE(manifest.error().domain, "NativeUpdateManifest");
            QCOMPARE(manifest.error().code, error);
        }
    }

    void validationTakesTheFirstFailure_data() {
        using F = NativeUpdatePolicy::Failure;
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("failure"); // -1: valid
        QTest::newRow("valid") << manifestJson() << -1;
        QTest::newRow("schema 2 with all else valid") << manifestJson("schemaVersion", "2") << int(F::invalidSchema);
        QTest::newRow("schema 1, wrong product and build 0")
            << manifestJson("product", "\"other\"").replace("\"build\":7", "\"build\":0") << int(F::wrongProduct);
        QTest::newRow("product capitalised") << manifestJson("product", "\"Vellora\"") << int(F::wrongProduct);
        QTest::newRow("build 0") << manifestJson("build", "0") << int(F::invalidVersion);
        QTest::newRow("build negative") << manifestJson("build", "-3") << int(F::invalidVersion);
        QTest::newRow("empty version") << manifestJson("version", "\"\"") << int(F::invalidVersion);
        QTest::newRow("any version text") << manifestJson("version", "\"spring edition\"") << -1;
        QTest::newRow("http") << manifestJson("downloadURL", "\"http://vellora.quorvel.app/a.zip\"")
                              << int(F::invalidDownloadURL);
        QTest::newRow("scheme in capitals") << manifestJson("downloadURL", "\"HTTPS://vellora.quorvel.app/a.zip\"")
                                            << int(F::invalidDownloadURL);
        QTest::newRow("host in capitals") << manifestJson("downloadURL", "\"https://VELLORA.quorvel.APP/a.zip\"") << -1;
        QTest::newRow("the mirror, with a port") << manifestJson("downloadURL", "\"https://mirror.example.net:8443/a\"")
                                                 << -1;
        QTest::newRow("another host") << manifestJson("downloadURL", "\"https://evil.example/a.zip\"")
                                      << int(F::invalidDownloadURL);
        QTest::newRow("no host") << manifestJson("downloadURL", "\"https:/a.zip\"") << int(F::invalidDownloadURL);
        QTest::newRow("digest in capitals") << manifestJson("sha256", '"' + QByteArray(64, 'A') + '"') << -1;
        QTest::newRow("63 digits") << manifestJson("sha256", '"' + QByteArray(63, 'a') + '"') << int(F::invalidChecksum);
        QTest::newRow("65 digits") << manifestJson("sha256", '"' + QByteArray(65, 'a') + '"') << int(F::invalidChecksum);
        QTest::newRow("a g") << manifestJson("sha256", '"' + QByteArray(63, 'a') + "g\"") << int(F::invalidChecksum);
    }

    void validationTakesTheFirstFailure() {
        QFETCH(QByteArray, json);
        QFETCH(int, failure);
        const Result<NativeUpdateManifest> manifest = NativeUpdateManifest::decode(json);
        QVERIFY(manifest.ok());
        const Result<void> valid = NativeUpdatePolicy::validate(manifest.value(), configuration());
        if (failure < 0) {
            QVERIFY(valid.ok());
            return;
        }
        QVERIFY(!valid.ok());
        QCOMPARE(valid.error().domain, NativeUpdatePolicy::FailureDomain);
        QCOMPARE(valid.error().code, failure);
        // Described in the bundle's language: English without a bundle.
        QCOMPARE(valid.error().description,
                 updaterCopy(NativeUpdatePolicy::failureKey(NativeUpdatePolicy::Failure(failure)), QStringList{"en"}));
    }

    void theRunningBuildAndNewerRule_data() {
        QTest::addColumn<QString>("bundleVersion"); // "-": no key
        QTest::addColumn<qint64>("running");
        QTest::newRow("41") << "41" << qint64(41);
        QTest::newRow("+41") << "+41" << qint64(41);
        QTest::newRow("-2") << "-2" << qint64(-2);
        QTest::newRow("no key") << "-" << qint64(0);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("letters after the digits") << "41b" << qint64(0);
        QTest::newRow("a space after") << "41 " << qint64(0);
        QTest::newRow("too large") << "99999999999999999999" << qint64(0);
    }

    void theRunningBuildAndNewerRule() {
        QFETCH(QString, bundleVersion);
        QFETCH(qint64, running);
        QTemporaryDir dir;
        QFile info(dir.filePath("bundle.json"));
        QVERIFY(info.open(QIODevice::WriteOnly));
        info.write(bundleVersion == "-" ? QByteArray("{}")
                                        : QByteArray("{\"CFBundleVersion\":\"" + bundleVersion.toUtf8() + "\"}"));
        info.close();
        QCOMPARE(NativeUpdatePolicy::runningBuild(AppBundle::open(dir.path())), running);

        NativeUpdateManifest manifest;
        manifest.build = running;
        QVERIFY(!NativeUpdatePolicy::isNewer(manifest, running));
        manifest.build = running + 1;
        QVERIFY(NativeUpdatePolicy::isNewer(manifest, running));
    }

    void integersAreDecimalAndBounded_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<std::optional<qint64>>("value");
        QTest::newRow("0") << "0" << 32 << std::optional<qint64>(0);
        QTest::newRow("+7") << "+7" << 32 << std::optional<qint64>(7);
        QTest::newRow("-5") << "-5" << 32 << std::optional<qint64>(-5);
        QTest::newRow("largest 32-bit") << "2147483647" << 32 << std::optional<qint64>(2147483647);
        QTest::newRow("past 32 bits") << "2147483648" << 32 << std::optional<qint64>();
        QTest::newRow("smallest 32-bit") << "-2147483648" << 32 << std::optional<qint64>(-2147483648LL);
        QTest::newRow("largest 64-bit") << "9223372036854775807" << 64
                                        << std::optional<qint64>(std::numeric_limits<qint64>::max());
        QTest::newRow("past 64 bits") << "9223372036854775808" << 64 << std::optional<qint64>();
        QTest::newRow("sign alone") << "-" << 32 << std::optional<qint64>();
        QTest::newRow("empty") << "" << 32 << std::optional<qint64>();
        QTest::newRow("hex") << "0x10" << 32 << std::optional<qint64>();
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << 32 << std::optional<qint64>();
    }

    void integersAreDecimalAndBounded() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(std::optional<qint64>, value);
        QCOMPARE(NativeUpdatePolicy::parseInteger(text, bits), value);
    }

    void releaseNotesFollowTheLanguage_data() {
        QTest::addColumn<QByteArray>("notes");
        QTest::addColumn<QString>("language");
        QTest::addColumn<std::optional<QString>>("shown");
        const QByteArray byLocale = R"(,"releaseNotesByLocale":{"en":"English","zh-Hans":"简体","zh-Hant":" \n"})";
        QTest::newRow("its own language") << byLocale << "zh-Hans" << std::optional<QString>("简体");
        QTest::newRow("blank: English") << byLocale << "zh-Hant" << std::optional<QString>("English");
        QTest::newRow("no entry: English") << QByteArray(R"(,"releaseNotesByLocale":{"en":"English"})") << "zh-Hans"
                                           << std::optional<QString>("English");
        QTest::newRow("nothing usable: the plain notes")
            << QByteArray(R"(,"releaseNotes":"plain","releaseNotesByLocale":{"en":"  ","fr":"Français"})") << "en"
            << std::optional<QString>("plain");
        QTest::newRow("nothing at all") << QByteArray() << "en" << std::optional<QString>();
        QTest::newRow("not trimmed") << QByteArray(R"(,"releaseNotesByLocale":{"en":"  x\n"})") << "en"
                                     << std::optional<QString>("  x\n");
    }

    void releaseNotesFollowTheLanguage() {
        QFETCH(QByteArray, notes);
        QFETCH(QString, language);
        QFETCH(std::optional<QString>, shown);
        QByteArray json = manifestJson();
        json.insert(json.size() - 1, notes);
        const Result<NativeUpdateManifest> manifest = NativeUpdateManifest::decode(json);
        QVERIFY(manifest.ok());
        QCOMPARE(manifest.value().localizedReleaseNotes(QStringList{language}), shown);
    }

    void theChangelogSitsAtTheSiteRoot_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("address");
        QTest::newRow("zh-Hant") << "zh-Hant" << "https://vellora.quorvel.app/zh-tw/changelog/";
        QTest::newRow("zh_HK") << "zh_HK" << "https://vellora.quorvel.app/zh-tw/changelog/";
        QTest::newRow("zh-tw") << "zh-tw" << "https://vellora.quorvel.app/zh-tw/changelog/";
        QTest::newRow("zh-Hans") << "zh-Hans" << "https://vellora.quorvel.app/zh/changelog/";
        QTest::newRow("zh") << "zh" << "https://vellora.quorvel.app/zh/changelog/";
        QTest::newRow("en") << "en" << "https://vellora.quorvel.app/changelog/";
        QTest::newRow("fr") << "fr" << "https://vellora.quorvel.app/changelog/";
    }

    void theChangelogSitsAtTheSiteRoot() {
        QFETCH(QString, language);
        QFETCH(QString, address);
        QCOMPARE(configuration().changelogURL(language).toString(), address);
    }

    void theVersionLabel() {
        QTemporaryDir dir;
        QFile info(dir.filePath("bundle.json"));
        QVERIFY(info.open(QIODevice::WriteOnly));
        info.write(R"({"CFBundleShortVersionString":"1.4","CFBundleVersion":"12"})");
        info.close();
        QCOMPARE(NativeAppVersion::displayText(AppBundle::open(dir.path()), QStringList{"en"}), "Version 1.4 (12)");
        QCOMPARE(NativeAppVersion::displayText(AppBundle::open(dir.path()), QStringList{"zh-Hans"}), "版本 1.4（12）");
        QCOMPARE(NativeAppVersion::displayText(std::nullopt, QStringList{"en"}), "Version \u2014 (\u2014)");
    }
};

QTEST_GUILESS_MAIN(TestNativeUpdatePolicy)
#include "TestNativeUpdatePolicy.moc"

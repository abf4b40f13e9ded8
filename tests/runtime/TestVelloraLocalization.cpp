#include "VelloraLocalization.h"

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <optional>

namespace {

// One message of a .ts file, as the translator wrote it.
struct CatalogueEntry {
    QString source;
    QStringList forms; // the translation, or its plural forms
    bool finished = true;
    int line = 0;
};

QList<CatalogueEntry> readCatalogue(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot open %s", qPrintable(path));
        return {};
    }
    QList<CatalogueEntry> entries;
    QXmlStreamReader xml(&file);
    CatalogueEntry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"message") {
                entry = CatalogueEntry{};
                entry.line = int(xml.lineNumber());
            } else if (xml.name() == u"source") {
                entry.source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                entry.finished = type.isEmpty();
                // A plain translation holds text; a plural one holds <numerusform>s.
                QString text;
                while (!(xml.isEndElement() && xml.name() == u"translation") && !xml.atEnd()) {
                    xml.readNext();
                    if (xml.isCharacters())
                        text += xml.text();
                    else if (xml.isStartElement() && xml.name() == u"numerusform")
                        entry.forms.append(xml.readElementText());
                }
                if (entry.forms.isEmpty())
                    entry.forms.append(text);
            }
        } else if (xml.isEndElement() && xml.name() == u"message") {
            entries.append(entry);
        }
    }
    if (xml.hasError())
        qWarning("%s: %s at line %lld", qPrintable(path), qPrintable(xml.errorString()), xml.lineNumber());
    return entries;
}

// Source text with comments blanked out (line breaks kept, so line numbers stay right);
// string and character literals are left intact.
QString withoutComments(const QString &text) {
    QString out = text;
    enum class State { Code, String, Char, Line, Block } state = State::Code;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const QChar next = i + 1 < out.size() ? out.at(i + 1) : QChar();
        switch (state) {
        case State::Code:
            if (c == u'"')
                state = State::String;
            else if (c == u'\'')
                state = State::Char;
            else if (c == u'/' && next == u'/')
                state = State::Line;
            else if (c == u'/' && next == u'*')
                state = State::Block;
            if (state == State::Line || state == State::Block) {
                out[i] = u' ';
                out[++i] = u' ';
            }
            break;
        case State::String:
        case State::Char:
            if (c == u'\\')
                ++i;
            else if (c == (state == State::String ? u'"' : u'\''))
                state = State::Code;
            break;
        case State::Line:
            if (c == u'\n')
                state = State::Code;
            else
                out[i] = u' ';
            break;
        case State::Block:
            if (c == u'*' && next == u'/') {
                out[i] = u' ';
                out[++i] = u' ';
                state = State::Code;
            } else if (c != u'\n') {
                out[i] = u' ';
            }
            break;
        }
    }
    return out;
}

void skipSpace(const QString &text, qsizetype &i) {
    while (i < text.size() && text.at(i).isSpace())
        ++i;
}

// One C++ string literal (with an optional u/u8/L prefix) at i; its value, unescaped.
std::optional<QString> stringLiteral(const QString &text, qsizetype &i) {
    qsizetype j = i;
    if (text.mid(j, 2) == QStringLiteral("u8"))
        j += 2;
    else if (j < text.size() && (text.at(j) == u'u' || text.at(j) == u'L' || text.at(j) == u'U'))
        ++j;
    if (j >= text.size() || text.at(j) != u'"')
        return std::nullopt;
    QString value;
    for (++j; j < text.size() && text.at(j) != u'"'; ++j) {
        if (text.at(j) != u'\\') {
            value += text.at(j);
            continue;
        }
        const QChar escaped = j + 1 < text.size() ? text.at(++j) : QChar();
        switch (escaped.unicode()) {
        case 'n':
            value += u'\n';
            break;
        case 't':
            value += u'\t';
            break;
        default:
            value += escaped;
        }
    }
    i = j + 1;
    if (text.mid(i, 2) == QStringLiteral("_s"))
        i += 2;
    return value;
}

// Adjacent literals, as the compiler joins them.
std::optional<QString> joinedLiterals(const QString &text, qsizetype &i) {
    std::optional<QString> value;
    for (;;) {
        qsizetype j = i;
        skipSpace(text, j);
        const std::optional<QString> piece = stringLiteral(text, j);
        if (!piece)
            return value;
        value = value.value_or(QString()) + *piece;
        i = j;
    }
}

// The literal key of one call argument: "…", u"…"_s, QStringLiteral("…"),
// QString::fromUtf8("…"), or nothing when the argument is computed.
std::optional<QString> literalArgument(const QString &text, qsizetype &i) {
    skipSpace(text, i);
    for (const QString &wrapper :
         {QStringLiteral("QStringLiteral"), QStringLiteral("QString::fromUtf8"), QStringLiteral("QString")}) {
        qsizetype j = i;
        if (text.mid(j, wrapper.size()) != wrapper)
            continue;
        j += wrapper.size();
        skipSpace(text, j);
        if (j >= text.size() || text.at(j) != u'(')
            continue;
        ++j;
        std::optional<QString> value = joinedLiterals(text, j);
        skipSpace(text, j);
        if (!value || j >= text.size() || text.at(j) != u')')
            return std::nullopt;
        qsizetype k = j + 1;
        skipSpace(text, k);
        if (k < text.size() && text.at(k) != u',' && text.at(k) != u')')
            return std::nullopt; // an expression that merely starts with a literal
        i = k;
        return value;
    }
    std::optional<QString> value = joinedLiterals(text, i);
    qsizetype k = i;
    skipSpace(text, k);
    if (value && k < text.size() && text.at(k) != u',' && text.at(k) != u')')
        return std::nullopt;
    return value;
}

// Skips one call argument (nested brackets and literals included) up to the next
// top-level ',' or the closing ')'.
void skipArgument(const QString &text, qsizetype &i) {
    int depth = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"' || c == u'\'') {
            for (++i; i < text.size() && text.at(i) != c; ++i) {
                if (text.at(i) == u'\\')
                    ++i;
            }
        } else if (c == u'(' || c == u'[' || c == u'{') {
            ++depth;
        } else if (c == u')' || c == u']' || c == u'}') {
            if (depth == 0)
                return;
            --depth;
        } else if (c == u',' && depth == 0) {
            return;
        }
    }
}

// The keys of an argument that picks between two literals: `polished ? QStringLiteral("…")
// : QStringLiteral("…")`. Empty when the argument is anything else.
QStringList conditionalLiterals(const QString &argument) {
    qsizetype question = -1, colon = -1;
    int depth = 0;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c == u'"') {
            for (++i; i < argument.size() && argument.at(i) != u'"'; ++i) {
                if (argument.at(i) == u'\\')
                    ++i;
            }
        } else if (c == u'(' || c == u'[' || c == u'{') {
            ++depth;
        } else if (c == u')' || c == u']' || c == u'}') {
            --depth;
        } else if (depth == 0 && c == u'?' && question < 0) {
            question = i;
        } else if (depth == 0 && c == u':' && question >= 0 && colon < 0) {
            if (i + 1 < argument.size() && argument.at(i + 1) == u':') {
                ++i; // a scope operator
                continue;
            }
            colon = i;
        }
    }
    if (question < 0 || colon < 0)
        return {};
    QStringList keys;
    for (const QString &branch : {argument.mid(question + 1, colon - question - 1), argument.mid(colon + 1)}) {
        const QString closed = branch + u')';
        qsizetype i = 0;
        const std::optional<QString> key = literalArgument(closed, i);
        if (!key || i != closed.size() - 1)
            return {};
        keys.append(*key);
    }
    return keys;
}

struct SourceKeys {
    QMap<QString, QString> keys; // key -> first place it is used
    QStringList computed;        // places that pass a computed key
};

// Every key that src/ hands to the lookup: the literal key argument of each lookup call
// and of each VELLORA_L10N_KEY marker.
SourceKeys scanSources(const QString &root) {
    // The position of the key among the arguments of each lookup function.
    const QHash<QString, int> keyArgument{
        {QStringLiteral("velloraLocalized"), 0},         {QStringLiteral("velloraLocalizedStored"), 0},
        {QStringLiteral("velloraLocalizedFormat"), 0},   {QStringLiteral("velloraLocalizedFormatValues"), 0},
        {QStringLiteral("velloraLocalizedFormatIn"), 1}, {QStringLiteral("velloraLocalizedFormatValuesIn"), 1},
        {QStringLiteral("VELLORA_L10N_KEY"), 0},
    };
    static const QRegularExpression call(QStringLiteral("\\b(velloraLocalized\\w*|VELLORA_L10N_KEY)\\s*\\("));

    SourceKeys result;
    QDirIterator files(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith(QStringLiteral("VelloraLocalization.")))
            continue; // the declarations themselves
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = withoutComments(QString::fromUtf8(file.readAll()));
        for (auto match = call.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            const QString function = found.captured(1);
            const QString place = QDir(root).relativeFilePath(path) + u':' +
                                  QString::number(text.left(found.capturedStart()).count(u'\n') + 1);
            if (!keyArgument.contains(function)) {
                result.computed.append(place + QStringLiteral(" (unknown lookup ") + function + u')');
                continue;
            }
            qsizetype i = found.capturedEnd();
            for (int skipped = 0; skipped < keyArgument.value(function); ++skipped) {
                skipArgument(text, i);
                ++i; // the ','
            }
            const qsizetype argumentStart = i;
            if (const std::optional<QString> key = literalArgument(text, i)) {
                result.keys.insert(*key, result.keys.value(*key, place));
                continue;
            }
            qsizetype argumentEnd = argumentStart;
            skipArgument(text, argumentEnd);
            const QStringList keys = conditionalLiterals(text.mid(argumentStart, argumentEnd - argumentStart));
            for (const QString &key : keys)
                result.keys.insert(key, result.keys.value(key, place));
            if (keys.isEmpty())
                result.computed.append(place);
        }
    }
    return result;
}

// The printf-style placeholders of a text in the order they take values: "@" or "d".
QStringList placeholders(const QString &text) {
    static const QRegularExpression placeholder(QStringLiteral("%(?:(\\d+)\\$)?[lqz]*([@diu%])"));
    QList<std::pair<int, QString>> found;
    int next = 0;
    for (auto match = placeholder.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        QString conversion = m.captured(2);
        if (conversion == u"%")
            continue;
        if (conversion != u"@")
            conversion = QStringLiteral("d");
        const int position = m.captured(1).isEmpty() ? next++ : m.captured(1).toInt() - 1;
        found.append({position, conversion});
    }
    std::sort(found.begin(), found.end());
    QStringList result;
    for (const auto &[position, conversion] : found)
        result.append(QString::number(position) + conversion);
    return result;
}

// Adds an unfinished entry for each key the catalogue lacks, before its </context>.
bool appendUnfinished(const QString &path, const QStringList &keys, const QHash<QString, bool> &present) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    QString added;
    for (const QString &key : keys) {
        if (present.contains(key))
            continue;
        added += QStringLiteral("    <message>\n        <source>") + key.toHtmlEscaped() +
                 QStringLiteral("</source>\n        <translation type=\"unfinished\"></translation>\n    </message>\n");
        qInfo("%s: added %s", qPrintable(QFileInfo(path).fileName()), qPrintable(key));
    }
    const qsizetype end = text.lastIndexOf(QStringLiteral("</context>"));
    if (end < 0)
        return false;
    text.insert(end, added);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

QString catalogueDir() {
    return TestSupport::sourceDir() + QStringLiteral("/translations");
}

QString cataloguePath(const QString &language) {
    QString name = language;
    name.replace(u'-', u'_');
    return catalogueDir() + QStringLiteral("/vellora_") + name + QStringLiteral(".ts");
}

} // namespace

class TestVelloraLocalization final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void resolvesLanguage_data();
    void resolvesLanguage();
    void looksUpPerLanguage_data();
    void looksUpPerLanguage();
    void missingKeyFallsBackToKey();
    void unknownPreferenceBehavesLikeSystem();
    void systemFollowsEnvironmentLanguages();

    void fillsFormats_data();
    void fillsFormats();
    void formatPicksPluralForm();
    void formatReadsStoredLanguageEachTime();
    void looksUpFromManyThreads();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();

    void catalogueEntriesAreFinished_data();
    void catalogueEntriesAreFinished();
    void englishAndTraditionalCoverTheSameKeys();
    void compiledTablesMatchCatalogue_data();
    void compiledTablesMatchCatalogue();
    void scannerFindsEveryCallForm();
    void everyKeyInTheSourcesIsTranslated();

private:
    QTemporaryDir m_home;
};

void TestVelloraLocalization::initTestCase() {
    QVERIFY(m_home.isValid());
    // The stored-language lookups read the preferences file under XDG_CONFIG_HOME.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
}

void TestVelloraLocalization::resolvesLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<QString>("expected");

    const QStringList french{"fr-FR"};
    QTest::newRow("explicit en over a Chinese system") << "en" << QStringList{"zh-Hans-CN"} << "en";
    QTest::newRow("explicit zh-Hant") << "zh-Hant" << QStringList{"en-US"} << "zh-Hant";
    QTest::newRow("explicit zh-Hans over English") << "zh-Hans" << QStringList{"en-US"} << "zh-Hans";
    QTest::newRow("system zh-Hant-TW") << "system" << QStringList{"zh-Hant-TW", "zh-TW"} << "zh-Hant";
    QTest::newRow("system zh-TW") << "system" << QStringList{"zh-TW"} << "zh-Hant";
    QTest::newRow("system zh-HK") << "system" << QStringList{"zh-HK", "en-US"} << "zh-Hant";
    QTest::newRow("system POSIX zh_TW") << "system" << QStringList{"zh_TW.UTF-8"} << "zh-Hant";
    QTest::newRow("system zh-Hans-HK is Simplified") << "system" << QStringList{"zh-Hans-HK"} << "zh-Hans";
    QTest::newRow("system zh-CN") << "system" << QStringList{"zh-CN"} << "zh-Hans";
    QTest::newRow("system bare zh") << "system" << QStringList{"zh"} << "zh-Hans";
    QTest::newRow("system en-GB") << "system" << QStringList{"en-GB"} << "en";
    QTest::newRow("system skips unspoken languages") << "system" << QStringList{"fr-FR", "de", "zh-TW"} << "zh-Hant";
    QTest::newRow("system yue-Hant is not Chinese tables") << "system" << QStringList{"yue-Hant-HK", "en-US"} << "en";
    QTest::newRow("system with nothing spoken") << "system" << french << "en";
    QTest::newRow("system with no languages") << "system" << QStringList{} << "en";
    QTest::newRow("unknown fr is system") << "fr" << QStringList{"zh-Hant-TW"} << "zh-Hant";
    QTest::newRow("tables are case-sensitive") << "ZH-HANT" << QStringList{"en-US"} << "en";
    QTest::newRow("empty is system") << "" << QStringList{"zh-CN"} << "zh-Hans";
}

void TestVelloraLocalization::resolvesLanguage() {
    QFETCH(QString, language);
    QFETCH(QStringList, preferred);
    QFETCH(QString, expected);
    QCOMPARE(VelloraLocalization::resolvedLanguage(language, preferred), expected);
}

void TestVelloraLocalization::looksUpPerLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en") << "en" << QStringList{"zh-CN"} << "Ready";
    QTest::newRow("zh-Hant") << "zh-Hant" << QStringList{"en-US"} << "就緒";
    QTest::newRow("zh-Hans is the key") << "zh-Hans" << QStringList{"en-US"} << "就绪";
    QTest::newRow("system Traditional") << "system" << QStringList{"zh-Hant-TW"} << "就緒";
    QTest::newRow("system English") << "system" << QStringList{"en-US"} << "Ready";
    QTest::newRow("system Simplified") << "system" << QStringList{"zh-Hans-CN"} << "就绪";
}

void TestVelloraLocalization::looksUpPerLanguage() {
    QFETCH(QString, language);
    QFETCH(QStringList, preferred);
    QFETCH(QString, expected);
    QCOMPARE(VelloraLocalization::localized(QStringLiteral("就绪"), language, preferred), expected);
}

void TestVelloraLocalization::missingKeyFallsBackToKey() {
    const QString key = QStringLiteral("这句话不在任何表里");
    for (const QString &language : QStringList{"en", "zh-Hant", "zh-Hans", "system"})
        QCOMPARE(VelloraLocalization::localized(key, language, {"en-US"}), key);
    // An explicit zh-Hans, whose table carries only a few entries, gives the key for the
    // rest rather than the system language's text.
    QCOMPARE(VelloraLocalization::localized(QStringLiteral("就绪"), "zh-Hans", {"en-US"}), QStringLiteral("就绪"));
}

void TestVelloraLocalization::unknownPreferenceBehavesLikeSystem() {
    const QString key = QStringLiteral("就绪");
    for (const QStringList &preferred : {QStringList{"en-US"}, QStringList{"zh-Hant-TW"}, QStringList{"zh-CN"}}) {
        QCOMPARE(VelloraLocalization::localized(key, "fr", preferred),
                 VelloraLocalization::localized(key, "system", preferred));
        QCOMPARE(VelloraLocalization::localized(key, "en-US", preferred),
                 VelloraLocalization::localized(key, "system", preferred));
    }
}

void TestVelloraLocalization::systemFollowsEnvironmentLanguages() {
    // ctest starts this test with LANGUAGE=zh_TW:en, so the system languages put
    // Traditional Chinese first.
    QCOMPARE(QString::fromLocal8Bit(qgetenv("LANGUAGE")), QStringLiteral("zh_TW:en"));
    QCOMPARE(velloraLocalized(QStringLiteral("就绪"), "system"), QStringLiteral("就緒"));
    QCOMPARE(velloraLocalized(QStringLiteral("就绪"), "fr"), QStringLiteral("就緒"));
    QCOMPARE(velloraLocalized(QStringLiteral("就绪"), "en"), QStringLiteral("Ready"));
}

void TestVelloraLocalization::fillsFormats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("expected");

    QTest::newRow("text") << "保存密钥失败：%@" << QVariantList{"denied"} << "保存密钥失败：denied";
    QTest::newRow("two texts in order") << "%@ %@ 可更新" << QVariantList{"Vellora", "1.2"} << "Vellora 1.2 可更新";
    QTest::newRow("integer") << "按键 %d" << QVariantList{96} << "按键 96";
    QTest::newRow("integer grouped by locale") << "%d 个字" << QVariantList{12345} << "12,345 个字";
    QTest::newRow("negative") << "code %d" << QVariantList{-25300} << "code -25,300";
    QTest::newRow("long modifier") << "%ld/%lld" << QVariantList{1, 2} << "1/2";
    QTest::newRow("number as text") << "%@ items" << QVariantList{3} << "3 items";
    QTest::newRow("positional") << "%2$@ then %1$@" << QVariantList{"a", "b"} << "b then a";
    QTest::newRow("percent sign") << "%d%% done" << QVariantList{42} << "42% done";
    QTest::newRow("value holding a placeholder is not refilled")
        << "%@ and %@" << QVariantList{"%@", "x"} << "%@ and x";
    QTest::newRow("missing value stays visible") << "%@ and %@" << QVariantList{"one"} << "one and %@";
    QTest::newRow("extra values ignored") << "only %@" << QVariantList{"a", "b"} << "only a";
    QTest::newRow("unknown conversion kept") << "50%x and %@" << QVariantList{"a"} << "50%x and a";
    QTest::newRow("trailing percent kept") << "100%" << QVariantList{} << "100%";
}

void TestVelloraLocalization::fillsFormats() {
    QFETCH(QString, format);
    QFETCH(QVariantList, values);
    QFETCH(QString, expected);
    QCOMPARE(VelloraLocalization::fillFormat(format, values, QLocale(QLocale::English, QLocale::UnitedStates)),
             expected);
}

void TestVelloraLocalization::formatPicksPluralForm() {
    const QString key = QStringLiteral("%d 个字 · 按 ⌘V 粘贴");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("en"), key, 1),
             QStringLiteral("1 character · Press Ctrl+V to paste"));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("en"), key, 24),
             QStringLiteral("24 characters · Press Ctrl+V to paste"));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("en"), key, 0),
             QStringLiteral("0 characters · Press Ctrl+V to paste"));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("zh-Hant"), key, 1), QStringLiteral("1 個字 · 按 Ctrl+V 貼上"));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("zh-Hant"), key, 1200),
             QStringLiteral("1,200 個字 · 按 Ctrl+V 貼上"));
    QCOMPARE(velloraLocalizedFormatIn(QStringLiteral("zh-Hans"), key, 3), QStringLiteral("3 个字 · 按 Ctrl+V 粘贴"));
    QLocale::setDefault(QLocale::system());
}

void TestVelloraLocalization::formatReadsStoredLanguageEachTime() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Vellora", "Vellora");
    QCOMPARE(QDir::cleanPath(settings.fileName()),
             QDir::cleanPath(m_home.path() + QStringLiteral("/Vellora/Vellora.conf")));
    settings.remove("language");
    settings.sync();
    QCOMPARE(velloraStoredLanguage(), QStringLiteral("system"));
    // LANGUAGE=zh_TW:en: "system" means Traditional.
    QCOMPARE(velloraLocalizedStored(QStringLiteral("就绪")), QStringLiteral("就緒"));

    settings.setValue("language", "en");
    settings.sync();
    QCOMPARE(velloraStoredLanguage(), QStringLiteral("en"));
    QCOMPARE(velloraLocalizedFormat(QStringLiteral("%d 个字 · 按 ⌘V 粘贴"), 2),
             QStringLiteral("2 characters · Press Ctrl+V to paste"));

    // Another writer (the preferences in this process, or another process) changes it.
    {
        QSettings other(QSettings::NativeFormat, QSettings::UserScope, "Vellora", "Vellora");
        other.setValue("language", "zh-Hans");
    }
    QCOMPARE(velloraLocalizedFormat(QStringLiteral("%d 个字 · 按 ⌘V 粘贴"), 2),
             QStringLiteral("2 个字 · 按 Ctrl+V 粘贴"));
    QCOMPARE(velloraLocalizedStored(QStringLiteral("就绪")), QStringLiteral("就绪"));

    settings.remove("language");
    settings.sync();
}

void TestVelloraLocalization::looksUpFromManyThreads() {
    QList<QFuture<bool>> futures;
    for (int t = 0; t < 8; ++t) {
        futures.append(QtConcurrent::run([t] {
            const QString language = t % 2 ? QStringLiteral("en") : QStringLiteral("zh-Hant");
            const QString expected = t % 2 ? QStringLiteral("Ready") : QStringLiteral("就緒");
            for (int i = 0; i < 2000; ++i) {
                if (velloraLocalized(QStringLiteral("就绪"), language) != expected)
                    return false;
            }
            return true;
        }));
    }
    for (QFuture<bool> &future : futures)
        QVERIFY(future.result());
}

// Qt's own texts (here the copy row of a text field's menu and a network error)
// follow the interface language, and each change replaces the previous one.
void TestVelloraLocalization::qtTextsFollowTheLanguage_data() {
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("refused");
    QTest::newRow("Simplified Chinese") << QStringList{"zh-Hans"} << QStringList{"en-US"} << "复制(&C)" << "连接被拒绝";
    QTest::newRow("Traditional Chinese") << QStringList{"zh-Hant"} << QStringList{"en-US"} << "複製(&C)"
                                         << "連線被拒";
    QTest::newRow("English") << QStringList{"en"} << QStringList{"zh-CN"} << "&Copy" << "Connection refused";
    QTest::newRow("system, a Taiwanese desktop") << QStringList{"system"} << QStringList{"zh-TW", "en"} << "複製(&C)"
                                                 << "連線被拒";
    QTest::newRow("system, a French desktop") << QStringList{"system"} << QStringList{"fr-FR"} << "&Copy"
                                              << "Connection refused";
    QTest::newRow("Chinese, then English") << QStringList{"zh-Hans", "en"} << QStringList{} << "&Copy"
                                           << "Connection refused";
    QTest::newRow("Simplified, then Traditional")
        << QStringList{"zh-Hans", "zh-Hant"} << QStringList{} << "複製(&C)" << "連線被拒";
}

void TestVelloraLocalization::qtTextsFollowTheLanguage() {
    QFETCH(QStringList, languages);
    QFETCH(QStringList, preferred);
    QFETCH(QString, copy);
    QFETCH(QString, refused);
    for (const QString &language : languages)
        QVERIFY(VelloraLocalization::installQtTranslations(language, preferred));
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), copy);
    QCOMPARE(QCoreApplication::translate("QAbstractSocket", "Connection refused"), refused);
    VelloraLocalization::installQtTranslations(QStringLiteral("en"), {});
}

void TestVelloraLocalization::catalogueEntriesAreFinished_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("pluralForms");
    QTest::newRow("en") << "en" << 2;
    QTest::newRow("zh-Hant") << "zh-Hant" << 1;
    QTest::newRow("zh-Hans") << "zh-Hans" << 1;
}

void TestVelloraLocalization::catalogueEntriesAreFinished() {
    QFETCH(QString, language);
    QFETCH(int, pluralForms);
    const QList<CatalogueEntry> entries = readCatalogue(cataloguePath(language));
    QVERIFY(!entries.isEmpty());
    QSet<QString> seen;
    for (const CatalogueEntry &entry : entries) {
        const QString where = QStringLiteral("line %1: %2").arg(entry.line).arg(entry.source);
        QVERIFY2(!entry.source.isEmpty(), qPrintable(where));
        QVERIFY2(!seen.contains(entry.source), qPrintable(QStringLiteral("duplicate, ") + where));
        seen.insert(entry.source);
        QVERIFY2(entry.finished, qPrintable(QStringLiteral("unfinished or obsolete, ") + where));
        QVERIFY2(entry.forms.size() == 1 || entry.forms.size() == pluralForms,
                 qPrintable(QStringLiteral("wrong number of plural forms, ") + where));
        for (const QString &form : entry.forms) {
            QVERIFY2(!form.trimmed().isEmpty(), qPrintable(QStringLiteral("empty translation, ") + where));
            QVERIFY2(placeholders(form) == placeholders(entry.source),
                     qPrintable(QStringLiteral("placeholders differ, ") + where + QStringLiteral(" -> ") + form));
        }
    }
}

void TestVelloraLocalization::englishAndTraditionalCoverTheSameKeys() {
    QSet<QString> english, traditional, simplified;
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath("en")))
        english.insert(entry.source);
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath("zh-Hant")))
        traditional.insert(entry.source);
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath("zh-Hans")))
        simplified.insert(entry.source);
    QStringList onlyEnglish = (english - traditional).values();
    QStringList onlyTraditional = (traditional - english).values();
    QStringList strayOverrides = (simplified - english).values();
    QVERIFY2(onlyEnglish.isEmpty(), qPrintable(QStringLiteral("missing in zh-Hant: ") + onlyEnglish.join(u" | ")));
    QVERIFY2(onlyTraditional.isEmpty(), qPrintable(QStringLiteral("missing in en: ") + onlyTraditional.join(u" | ")));
    QVERIFY2(strayOverrides.isEmpty(), qPrintable(QStringLiteral("zh-Hans only: ") + strayOverrides.join(u" | ")));
}

void TestVelloraLocalization::compiledTablesMatchCatalogue_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << "en";
    QTest::newRow("zh-Hant") << "zh-Hant";
    QTest::newRow("zh-Hans") << "zh-Hans";
}

void TestVelloraLocalization::compiledTablesMatchCatalogue() {
    // The embedded .qm tables are built from the .ts files: a stale or missing build step
    // shows up here.
    QFETCH(QString, language);
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath(language)))
        QCOMPARE(VelloraLocalization::localized(entry.source, language, {}), entry.forms.first());
}

void TestVelloraLocalization::scannerFindsEveryCallForm() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath("module"));
    QFile file(root.filePath("module/Fixture.cpp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"cpp(
        // velloraLocalized(QStringLiteral("注释里的"), language) is not a call
        /* VELLORA_L10N_KEY("块注释里的") */
        const QString url = QStringLiteral("https://example.com/a//b"); // "//" inside a literal
        auto a = velloraLocalized(QStringLiteral("甲"), language);
        auto b = velloraLocalizedFormat(
            QStringLiteral("乙：%@"), error.description);
        auto c = velloraLocalizedFormatIn(m_preferences->language(), u"丙 %d"_s, count);
        auto d = velloraLocalizedStored(QStringLiteral("丁" "续"));
        auto e = VELLORA_L10N_KEY("戊\"引号\"");
        auto f = velloraLocalized(m_status, language);
        auto g = velloraLocalized(QStringLiteral("己") + suffix, language);
        auto h = velloraLocalizedFormatIn(pick(a, b), QStringLiteral("庚"), 1);
        auto i = velloraLocalizedStored(polished ? QStringLiteral("辛") : QStringLiteral("壬"));
        auto j = velloraLocalized(ok ? QString::fromUtf8("癸") : m_fallback, language);
        auto k = velloraLocalized(m_map.value(QStringLiteral("不是键")), language);
    )cpp");
    file.close();

    const SourceKeys found = scanSources(root.path());
    QCOMPARE(found.keys.keys(), QStringList({"丁续", "丙 %d", "乙：%@", "壬", "庚", "戊\"引号\"", "甲", "辛"}));
    QCOMPARE(found.keys.value("乙：%@"), QStringLiteral("module/Fixture.cpp:6"));
    QCOMPARE(found.computed, QStringList({"module/Fixture.cpp:11", "module/Fixture.cpp:12", "module/Fixture.cpp:15",
                                          "module/Fixture.cpp:16"}));
}

void TestVelloraLocalization::everyKeyInTheSourcesIsTranslated() {
    const SourceKeys found = scanSources(TestSupport::sourceDir() + QStringLiteral("/src"));
    QHash<QString, bool> english, traditional;
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath("en")))
        english.insert(entry.source, entry.finished);
    for (const CatalogueEntry &entry : readCatalogue(cataloguePath("zh-Hant")))
        traditional.insert(entry.source, entry.finished);

    QStringList missing;
    QStringList absent;
    for (auto it = found.keys.cbegin(); it != found.keys.cend(); ++it) {
        if (!english.value(it.key()) || !traditional.value(it.key()))
            missing.append(it.value() + QStringLiteral(": ") + it.key());
        if (!english.contains(it.key()) || !traditional.contains(it.key()))
            absent.append(it.key());
    }
    // scripts/update-translations: add the absent keys as unfinished entries to translate.
    if (qEnvironmentVariableIsSet("VELLORA_UPDATE_TRANSLATIONS")) {
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("zh-Hant")}) {
            const QHash<QString, bool> &present = language == u"en" ? english : traditional;
            QVERIFY(appendUnfinished(cataloguePath(language), absent, present));
        }
    }
    // Computed keys are stored keys (status lines, errors kept as keys); they are
    // declared with VELLORA_L10N_KEY where they are made, which this check covers.
    for (const QString &place : found.computed)
        qInfo("computed key at %s", qPrintable(place));
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("texts without a finished en/zh-Hant entry:\n") + missing.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestVelloraLocalization)
#include "TestVelloraLocalization.moc"

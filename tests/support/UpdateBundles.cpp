#include "UpdateBundles.h"

#include "BundleArchive.h"
#include "BundleSignature.h"
#include "TestSupport.h"
#include "ZipWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace UpdateBundles {

QString fixtureExecutable() {
    return TestSupport::binaryDir() + QStringLiteral("/bin/vellora-update-fixture");
}

bool write(const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QString make(const QString &folder, const Bundle &bundle, const QString &name) {
    const QString path = QDir(folder).filePath(name);
    if (!QDir().mkpath(path + QStringLiteral("/translations")))
        return {};
    const QJsonObject info{
        {QStringLiteral("CFBundleIdentifier"), bundle.identifier},
        {QStringLiteral("CFBundleShortVersionString"), bundle.version},
        {QStringLiteral("CFBundleVersion"), bundle.build},
        {QStringLiteral("CFBundleExecutable"), bundle.executable},
        {QStringLiteral("CFBundleLocalizations"), QJsonArray{QStringLiteral("en"), QStringLiteral("zh-Hans"),
                                                             QStringLiteral("zh-Hant")}},
    };
    const QString executable = QDir(path).filePath(bundle.executable);
    if (!write(QDir(path).filePath(QStringLiteral("bundle.json")), QJsonDocument(info).toJson())
        || !QFile::copy(bundle.program.isEmpty() ? fixtureExecutable() : bundle.program, executable)
        || !QFile::setPermissions(executable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther)
        || !write(path + QStringLiteral("/translations/vellora_en.qm"), "translations")
        || !write(path + QStringLiteral("/vellora.desktop"), "[Desktop Entry]\nName=Vellora\n"))
        return {};
    return path;
}

bool sign(const QString &bundlePath, const QByteArray &secretKey, const QString &identifier) {
    return BundleSignature::sign(bundlePath, identifier, QStringLiteral("K7Q2W9X4ZP"), secretKey).ok();
}

QByteArray zip(const QString &bundlePath) {
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("bundle.zip"));
    if (!BundleArchive::pack(bundlePath, archive).ok())
        return {};
    QFile file(archive);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray sha256(const QByteArray &data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

namespace {

// A bundle folder as hand-made zip entries, to which a test adds entries no packer would write.
ZipWriter zipWriterOf(const QString &bundlePath) {
    ZipWriter writer;
    const QString root = QFileInfo(bundlePath).path();
    writer.add(QFileInfo(bundlePath).fileName().toUtf8() + '/', {}, S_IFDIR | 0755);
    QDirIterator walk(bundlePath, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList paths;
    while (walk.hasNext())
        paths.append(walk.next());
    paths.sort();
    for (const QString &path : paths) {
        const QFileInfo info(path);
        const QByteArray name = path.mid(root.size() + 1).toUtf8();
        if (info.isDir()) {
            writer.add(name + '/', {}, S_IFDIR | 0755);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        writer.add(name, file.readAll(), info.isExecutable() ? S_IFREG | 0755 : S_IFREG | 0644);
    }
    return writer;
}

} // namespace

QList<ArchiveCase> archiveCases(const QString &folder, const QByteArray &teamKey, const QByteArray &otherKey) {
    using Outcome = ArchiveCase::Outcome;
    QList<ArchiveCase> cases;
    int made = 0;
    // A fresh bundle in a folder of its own.
    const auto bundle = [&](const Bundle &description = {}, const QString &name = QStringLiteral("Vellora.app")) {
        const QString place = QDir(folder).filePath(QString::number(++made));
        QDir().mkpath(place);
        return make(place, description, name);
    };
    const auto add = [&cases](const char *caseName, const QByteArray &archive, Outcome outcome,
                              const QString &version = QStringLiteral("2.0"), const QString &build = QStringLiteral("2")) {
        cases.append(ArchiveCase{caseName, archive, QString::fromLatin1(sha256(archive)), version, build, outcome});
    };

    const QString good = bundle();
    sign(good, teamKey);
    const QByteArray goodArchive = zip(good);
    add("good bundle", goodArchive, Outcome::passes);
    ArchiveCase capitals = cases.constLast();
    capitals.name = "digest in capitals";
    capitals.sha256 = capitals.sha256.toUpper();
    cases.append(capitals);
    ArchiveCase wrongDigest = cases.constFirst();
    wrongDigest.name = "wrong SHA-256";
    wrongDigest.sha256.replace(0, 1, wrongDigest.sha256.startsWith(u'0') ? QStringLiteral("1") : QStringLiteral("0"));
    wrongDigest.outcome = Outcome::invalidArchive;
    cases.append(wrongDigest);

    QString path = bundle();
    sign(path, teamKey);
    {
        QFile signature(path + QStringLiteral("/CodeSignature"));
        signature.open(QIODevice::ReadOnly);
        QByteArray raw = QByteArray::fromBase64(signature.readAll());
        signature.close();
        raw[10] = static_cast<char>(raw[10] ^ 0x40);
        write(signature.fileName(), raw.toBase64());
    }
    add("wrong signature", zip(path), Outcome::invalidApplication);

    path = bundle();
    add("missing signature", zip(path), Outcome::invalidApplication);

    path = bundle();
    sign(path, otherKey);
    add("signature by another key", zip(path), Outcome::invalidApplication);

    path = bundle();
    sign(path, teamKey);
    write(path + QStringLiteral("/translations/extra.qm"), "added later");
    add("file added after signing", zip(path), Outcome::invalidApplication);

    path = bundle();
    sign(path, teamKey);
    write(path + QStringLiteral("/vellora.desktop"), "[Desktop Entry]\nExec=/bin/sh\n");
    add("file changed after signing", zip(path), Outcome::invalidApplication);

    path = bundle();
    sign(path, teamKey);
    QFile::setPermissions(path + QStringLiteral("/vellora.desktop"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    add("made executable after signing", zip(path), Outcome::invalidApplication);

    const auto evil = [&](const char *caseName, const QByteArray &name, const QByteArray &data, quint32 mode) {
        ZipWriter writer = zipWriterOf(good);
        writer.add(name, data, mode);
        add(caseName, writer.bytes(), Outcome::invalidApplication);
    };
    evil("zip-slip", "Vellora.app/../../vellora-zip-slip", "x", S_IFREG | 0644);
    evil("absolute path", "/tmp/vellora-absolute-entry", "x", S_IFREG | 0644);
    evil("symbolic link out", "Vellora.app/lib", "../../..", S_IFLNK | 0777);
    evil("device entry", "Vellora.app/console", {}, S_IFCHR | 0600);
    evil("FIFO entry", "Vellora.app/pipe", {}, S_IFIFO | 0600);

    QByteArray truncated = goodArchive;
    truncated.truncate(truncated.size() * 2 / 3);
    add("truncated zip", truncated, Outcome::invalidApplication);

    Bundle other;
    other.identifier = QStringLiteral("example.other");
    path = bundle(other);
    sign(path, teamKey, other.identifier);
    add("different bundle identifier", zip(path), Outcome::invalidApplication);

    path = bundle();
    sign(path, teamKey);
    add("another version", zip(path), Outcome::invalidApplication, QStringLiteral("2.1"));
    add("another build", zip(path), Outcome::invalidApplication, QStringLiteral("2.0"), QStringLiteral("3"));

    Bundle spaced;
    spaced.build = QStringLiteral("2 ");
    path = bundle(spaced);
    sign(path, teamKey);
    add("build with a space after", zip(path), Outcome::invalidApplication);

    path = bundle({}, QStringLiteral("Other.app"));
    sign(path, teamKey);
    add("bundle named otherwise", zip(path), Outcome::invalidApplication);

    Bundle script;
    script.program = QDir(folder).filePath(QStringLiteral("script"));
    write(script.program, "#!/bin/sh\necho quorvel.vellora 2\n");
    path = bundle(script);
    sign(path, teamKey);
    add("executable for no machine", zip(path), Outcome::invalidApplication);

    Bundle silent;
    silent.program = QStringLiteral("/bin/true");
    path = bundle(silent);
    sign(path, teamKey);
    add("executable that does not answer the probe", zip(path), Outcome::invalidApplication);
    return cases;
}

void addArchiveRows(const QString &folder, const QByteArray &teamKey, const QByteArray &otherKey) {
    QTest::addColumn<ArchiveCase>("row");
    for (const ArchiveCase &row : archiveCases(folder, teamKey, otherKey))
        QTest::newRow(row.name) << row;
}

} // namespace UpdateBundles

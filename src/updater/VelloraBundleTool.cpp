// vellora-bundle-tool: the packaging side of the updater, for scripts/package
// and the tests.
//   sign BUNDLE KEY.pem TEAM        sign the bundle (its identifier from bundle.json)
//   verify BUNDLE PUBLIC-HEX TEAM   check a bundle's signature
//   zip BUNDLE ARCHIVE.zip          archive the bundle as the updater unpacks it
//   public-key KEY.pem              print the key's public half in hexadecimal
//   manifest OUT.json PRODUCT VERSION BUILD URL ARCHIVE.zip [LANG=NOTES.md ...]
//                                   write the update manifest for an archive
#include "AppBundle.h"
#include "BundleArchive.h"
#include "BundleSignature.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "vellora-bundle-tool: %s\n", message.toLocal8Bit().constData());
    return 1;
}

int usage() {
    return fail(QStringLiteral("usage: sign BUNDLE KEY TEAM | verify BUNDLE PUBLIC-HEX TEAM | zip BUNDLE ARCHIVE | "
                               "public-key KEY | manifest OUT PRODUCT VERSION BUILD URL ARCHIVE [LANG=NOTES ...]"));
}

int sign(const QStringList &arguments) {
    const std::optional<AppBundle> bundle = AppBundle::open(arguments.at(0));
    if (!bundle || !bundle->identifier())
        return fail(arguments.at(0) + QStringLiteral(" is no bundle with an identifier"));
    const Result<QByteArray> key = BundleSignature::readSecretKey(arguments.at(1));
    if (!key)
        return fail(key.error().description);
    const Result<void> signature = BundleSignature::sign(bundle->path(), *bundle->identifier(), arguments.at(2), key.value());
    return signature ? 0 : fail(signature.error().description);
}

int verify(const QStringList &arguments) {
    const std::optional<AppBundle> bundle = AppBundle::open(arguments.at(0));
    if (!bundle || !bundle->identifier())
        return fail(arguments.at(0) + QStringLiteral(" is no bundle with an identifier"));
    const Result<void> valid = BundleSignature::verify(bundle->path(), *bundle->identifier(), arguments.at(2),
                                                       {QByteArray::fromHex(arguments.at(1).toLatin1())});
    return valid ? 0 : fail(valid.error().description);
}

int publicKey(const QStringList &arguments) {
    const Result<QByteArray> key = BundleSignature::readSecretKey(arguments.at(0));
    if (!key)
        return fail(key.error().description);
    std::printf("%s\n", BundleSignature::publicKey(key.value()).toHex().constData());
    return 0;
}

int zip(const QStringList &arguments) {
    const Result<void> packed = BundleArchive::pack(arguments.at(0), arguments.at(1));
    return packed ? 0 : fail(packed.error().description);
}

int manifest(const QStringList &arguments) {
    bool numeric = false;
    const qint64 build = arguments.at(3).toLongLong(&numeric);
    if (!numeric || build < 1)
        return fail(QStringLiteral("the build must be a whole number of at least 1"));
    QFile archive(arguments.at(5));
    if (!archive.open(QIODevice::ReadOnly))
        return fail(arguments.at(5) + QStringLiteral(": ") + archive.errorString());
    QCryptographicHash digest(QCryptographicHash::Sha256);
    digest.addData(&archive);

    QJsonObject document{
        {QStringLiteral("schemaVersion"), 1},
        {QStringLiteral("product"), arguments.at(1)},
        {QStringLiteral("version"), arguments.at(2)},
        {QStringLiteral("build"), build},
        {QStringLiteral("downloadURL"), arguments.at(4)},
        {QStringLiteral("sha256"), QString::fromLatin1(digest.result().toHex())},
    };
    QJsonObject notesByLocale;
    for (const QString &notes : arguments.mid(6)) {
        const qsizetype equals = notes.indexOf(u'=');
        QFile file(notes.mid(equals + 1));
        if (equals <= 0 || !file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("release notes must be given as LANG=FILE: ") + notes);
        notesByLocale.insert(notes.left(equals), QString::fromUtf8(file.readAll()));
    }
    if (!notesByLocale.isEmpty()) {
        document.insert(QStringLiteral("releaseNotesByLocale"), notesByLocale);
        document.insert(QStringLiteral("releaseNotes"), notesByLocale.contains(QStringLiteral("en"))
                                                            ? notesByLocale.value(QStringLiteral("en"))
                                                            : notesByLocale.begin().value());
    }
    QSaveFile out(arguments.at(0));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(document).toJson()) < 0 || !out.commit())
        return fail(arguments.at(0) + QStringLiteral(": ") + out.errorString());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    const QStringList operands = arguments.mid(1);
    if (command == u"sign" && operands.size() == 3)
        return sign(operands);
    if (command == u"verify" && operands.size() == 3)
        return verify(operands);
    if (command == u"zip" && operands.size() == 2)
        return zip(operands);
    if (command == u"public-key" && operands.size() == 1)
        return publicKey(operands);
    if (command == u"manifest" && operands.size() >= 6)
        return manifest(operands);
    return usage();
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QMetaType>
#include <QStringList>

// Application bundles made at test time for the updater's tests: the layout
// of an installed Vellora.app with a small real executable (the update
// fixture) that answers the probe and can act as the installation helper.
namespace UpdateBundles {

struct Bundle {
    QString identifier = QStringLiteral("quorvel.vellora");
    QString version = QStringLiteral("2.0");
    QString build = QStringLiteral("2");
    QString executable = QStringLiteral("vellora");
    // The program copied in as the executable; the fixture unless set.
    QString program;
};

// The built fixture: answers the probe and runs the helper mode, nothing else.
QString fixtureExecutable();

// Lays the bundle out as folder/name: bundle.json, the executable, a
// translations folder and a desktop entry. Returns its path, empty on failure.
QString make(const QString &folder, const Bundle &bundle, const QString &name = QStringLiteral("Vellora.app"));

// Signs with an Ed25519 secret key (libsodium form) as team K7Q2W9X4ZP.
bool sign(const QString &bundlePath, const QByteArray &secretKey, const QString &identifier = QStringLiteral("quorvel.vellora"));

// The bundle as a zip archive's bytes, the way the packer writes it.
QByteArray zip(const QString &bundlePath);

QByteArray sha256(const QByteArray &data);

// One archive of the verification table: what it holds, what the manifest
// says of it, and what the checks must conclude.
struct ArchiveCase {
    enum class Outcome { passes, invalidArchive, invalidApplication };
    const char *name;
    QByteArray archive;
    QString sha256;
    QString version;
    QString build;
    Outcome outcome;
};

// Every case, built in `folder`: a good bundle and the same with a letter-case
// digest; a wrong digest; a wrong, missing and other key's signature; a file
// added or changed after signing; zip-slip, absolute, link-out, device and
// FIFO entries; a truncated archive; another bundle identifier, version,
// build or bundle name; an executable for no machine, and one that does not
// answer the probe. `teamKey` is the trusted secret key, `otherKey` one that
// is not trusted.
QList<ArchiveCase> archiveCases(const QString &folder, const QByteArray &teamKey, const QByteArray &otherKey);

// The cases as rows of the running test's data table, in one column "row".
void addArchiveRows(const QString &folder, const QByteArray &teamKey, const QByteArray &otherKey);

// Writes bytes to a file; true on success.
bool write(const QString &path, const QByteArray &data);

} // namespace UpdateBundles

Q_DECLARE_METATYPE(UpdateBundles::ArchiveCase)

#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The signature of an application bundle: an Ed25519 signature (libsodium)
// over a canonical list of the bundle's contents, kept in the file
// "CodeSignature" at the bundle's top. The list names the bundle identifier
// and the signing team, then every file, folder and link below the top (the
// signature file left out), in byte order of the paths, one a line:
//
//   vellora-bundle-signature 1
//   identifier quorvel.vellora
//   team K7Q2W9X4ZP
//   f 0755 <SHA-256 of the content> vellora
//   d 0755 - translations
//   l 0777 <SHA-256 of the link text> …
//
// so a file added, removed, changed or made executable after signing, or
// another identifier or team, fails the check. All functions block; any thread.
namespace BundleSignature {

inline constexpr QLatin1StringView FileName{"CodeSignature"};

// libsodium's key forms: a 64-byte secret key (seed and public key), a
// 32-byte public key.
struct KeyPair {
    QByteArray publicKey;
    QByteArray secretKey;
};

// A fresh key pair.
KeyPair generate();
// The secret key of an Ed25519 private key in PKCS#8 PEM form, as
// `openssl genpkey -algorithm ed25519` writes it.
Result<QByteArray> readSecretKey(const QString &pemPath);
// The PEM form of a secret key, for readSecretKey().
QByteArray secretKeyPem(const QByteArray &secretKey);
QByteArray publicKey(const QByteArray &secretKey);

// The list that a signature covers; fails on a path with a line break.
Result<QByteArray> canonicalList(const QString &bundlePath, const QString &identifier,
                                 const QString &teamIdentifier);

// Writes the bundle's signature file.
Result<void> sign(const QString &bundlePath, const QString &identifier, const QString &teamIdentifier,
                  const QByteArray &secretKey);

// Passes when the signature file holds a signature of the bundle's list, with
// this identifier and team, by one of the public keys.
Result<void> verify(const QString &bundlePath, const QString &identifier, const QString &teamIdentifier,
                    const QList<QByteArray> &publicKeys);

} // namespace BundleSignature

#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

// What the updater knows of the application it serves: the product, where
// its manifest lives, which hosts may serve archives, which bundle identifier
// and signing team a downloaded application must carry (and the team's
// Ed25519 public keys, against which its signature is checked), and whether
// this build takes part in updating at all.
struct NativeUpdateConfiguration {
    // The product key; a manifest is accepted only for this product. Also part
    // of the updater's preference keys and work-folder names.
    QString product;
    // The name in messages and prompt titles; the bundle is appName + ".app".
    QString appName;
    QString bundleIdentifier;
    // The ten-character identifier of the signing team.
    QString teamIdentifier;
    QUrl manifestURL;
    // Lower-case host names a manifest's download address may name.
    QSet<QString> allowedDownloadHosts;
    // False for a development build: it never checks, downloads or installs.
    bool isEnabled = false;
    // The team's Ed25519 public keys (32 bytes each).
    QList<QByteArray> teamPublicKeys;

    NativeUpdateConfiguration(QString product, QString appName, QString bundleIdentifier, QString teamIdentifier,
                              QUrl manifestURL, QSet<QString> allowedDownloadHosts, bool isEnabled,
                              QList<QByteArray> teamPublicKeys);

    // The page that lists past releases in a language: "changelog/" at the
    // site's root (two path components above the manifest), under "zh-tw/" for
    // Traditional Chinese codes and "zh/" for other Chinese ones.
    QUrl changelogURL(const QString &language) const;
};

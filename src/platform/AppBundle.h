#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// An installed application folder, such as Vellora.app/: the executables side
// by side, bundle.json with the CFBundle keys (CFBundleIdentifier,
// CFBundleShortVersionString, CFBundleVersion, CFBundleExecutable,
// CFBundleLocalizations), the compiled translations, the desktop entry, icons
// and the signature. A binary run from a build tree belongs to no bundle.
class AppBundle final {
public:
    static constexpr QLatin1StringView InfoFileName{"bundle.json"};

    // The bundle at path: a folder holding a bundle.json whose top level is a
    // JSON object. Nothing for anything else. May be called on any thread.
    static std::optional<AppBundle> open(const QString &path);
    // The bundle an executable belongs to: its folder, when that is a bundle
    // whose CFBundleExecutable names this very file.
    static std::optional<AppBundle> containing(const QString &executablePath);
    // The bundle of the running executable, read once. Thread-safe.
    static const std::optional<AppBundle> &main();

    // The folder's absolute path, without a trailing slash.
    QString path() const { return m_path; }
    const QJsonObject &info() const { return m_info; }
    // A key's value when it is a JSON string.
    std::optional<QString> string(QLatin1StringView key) const;
    std::optional<QString> identifier() const { return string(QLatin1StringView("CFBundleIdentifier")); }
    // CFBundleLocalizations when it is a list of strings.
    std::optional<QStringList> localizations() const;
    // The file CFBundleExecutable names inside the bundle, when that is a plain
    // file name of an executable regular file.
    std::optional<QString> executablePath() const;

private:
    AppBundle(QString path, QJsonObject info) : m_path(std::move(path)), m_info(std::move(info)) {}

    QString m_path;
    QJsonObject m_info;
};

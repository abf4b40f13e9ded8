#include "AppBundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// bundle.json is a few hundred bytes; anything far larger is not one.
constexpr qint64 MaximumInfoBytes = 1 << 20;

bool isPlainFileName(const QString &name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/');
}

} // namespace

std::optional<AppBundle> AppBundle::open(const QString &path) {
    const QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir())
        return std::nullopt;
    QFile file(QDir(folder.absoluteFilePath()).filePath(InfoFileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaximumInfoBytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(MaximumInfoBytes));
    if (!document.isObject())
        return std::nullopt;
    return AppBundle(QDir::cleanPath(folder.absoluteFilePath()), document.object());
}

std::optional<AppBundle> AppBundle::containing(const QString &executablePath) {
    const QFileInfo executable(executablePath);
    std::optional<AppBundle> bundle = open(executable.absolutePath());
    if (!bundle || bundle->string(QLatin1StringView("CFBundleExecutable")) != executable.fileName())
        return std::nullopt;
    return bundle;
}

const std::optional<AppBundle> &AppBundle::main() {
    // The kernel's own record of the running file, so a relative argv[0] or a
    // changed working folder cannot mislead it.
    static const std::optional<AppBundle> bundle = containing(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    return bundle;
}

std::optional<QString> AppBundle::string(QLatin1StringView key) const {
    const QJsonValue value = m_info.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<QStringList> AppBundle::localizations() const {
    const QJsonValue value = m_info.value(QLatin1StringView("CFBundleLocalizations"));
    if (!value.isArray())
        return std::nullopt;
    QStringList result;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        result.append(item.toString());
    }
    return result;
}

std::optional<QString> AppBundle::executablePath() const {
    const std::optional<QString> name = string(QLatin1StringView("CFBundleExecutable"));
    if (!name || !isPlainFileName(*name))
        return std::nullopt;
    const QFileInfo executable(QDir(m_path).filePath(*name));
    if (!executable.isFile() || executable.isSymLink() || !executable.isExecutable())
        return std::nullopt;
    return executable.absoluteFilePath();
}

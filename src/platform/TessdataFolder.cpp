#include "TessdataFolder.h"

#include <QDir>
#include <QFileInfo>

#include <tesseract/version.h>

namespace TessdataFolder {

QString find(const QString &configured) {
    if (!configured.isEmpty())
        return QDir::cleanPath(configured);
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        // Both conventions are in use: the folder itself, or its parent.
        candidates << prefix << QDir(prefix).filePath(QStringLiteral("tessdata"));
    }
#ifdef VELLORA_TESSDATA_PREFIX
    // The library's install prefix as pkg-config reported it at build time.
    const QString installPrefix = QStringLiteral(VELLORA_TESSDATA_PREFIX);
    candidates << installPrefix + QStringLiteral("/share/tesseract-ocr/%1/tessdata").arg(TESSERACT_MAJOR_VERSION)
               << installPrefix + QStringLiteral("/share/tesseract-ocr/%1.00/tessdata").arg(TESSERACT_MAJOR_VERSION - 1)
               << installPrefix + QStringLiteral("/share/tessdata");
#endif
    candidates << QStringLiteral("/usr/share/tesseract-ocr/%1/tessdata").arg(TESSERACT_MAJOR_VERSION)
               << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata") << QStringLiteral("/usr/share/tessdata")
               << QStringLiteral("/usr/local/share/tessdata");
    for (const QString &candidate : std::as_const(candidates)) {
        const QDir dir(candidate);
        if (!dir.entryList({QStringLiteral("*.traineddata")}, QDir::Files).isEmpty())
            return QDir::cleanPath(dir.absolutePath());
    }
    return {};
}

QStringList models(const QString &folder) {
    QStringList names;
    if (folder.isEmpty())
        return names;
    for (const QFileInfo &file :
         QDir(folder).entryInfoList({QStringLiteral("*.traineddata")}, QDir::Files | QDir::Readable))
        names << file.completeBaseName();
    return names;
}

} // namespace TessdataFolder

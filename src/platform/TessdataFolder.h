#pragma once

#include <QString>
#include <QStringList>

// Where the Tesseract language models are installed.
namespace TessdataFolder {

// The configured folder when one is given; otherwise the first folder that
// holds a *.traineddata model of: $TESSDATA_PREFIX (the folder itself or its
// "tessdata"), the library's install prefix, the usual system folders. Empty
// when none does.
QString find(const QString &configured);

// The readable models in a folder, by name ("chi_sim", "eng").
QStringList models(const QString &folder);

} // namespace TessdataFolder

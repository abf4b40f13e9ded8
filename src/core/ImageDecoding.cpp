#include "ImageDecoding.h"

#include <QImageReader>

#include <mutex>

namespace ImageDecoding {

bool withinLimit(const QSize &size) {
    return size.width() >= 1 && size.height() >= 1 && qint64(size.width()) * qint64(size.height()) <= MaximumPixels;
}

void allowImagesWithinLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        constexpr qint64 WidestPixelBytes = 16;
        constexpr qint64 Megabyte = 1024 * 1024;
        QImageReader::setAllocationLimit(int((MaximumPixels * WidestPixelBytes + Megabyte - 1) / Megabyte));
    });
}

} // namespace ImageDecoding

#pragma once

#include <QSize>
#include <QtGlobal>

// How large an image the application decodes, on every path (captures and
// image files alike): the limit counts pixels, whatever the file's depth.
// Qt's own allocation limit counts the bytes of the decoded image, which for a
// 16-bit image are twice those of an 8-bit one; it is set once, so that it
// never refuses an image within the limit.
namespace ImageDecoding {

inline constexpr qint64 MaximumPixels = 40'000'000;

// Whether an image of this size (from the file's header) may be decoded.
bool withinLimit(const QSize &size);

// Sets Qt's image allocation limit for MaximumPixels at the widest pixel format
// Qt decodes into (four 32-bit floats a pixel). Once per process; any thread.
void allowImagesWithinLimit();

} // namespace ImageDecoding

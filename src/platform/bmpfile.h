#pragma once

#include "failure.h"

#include <QImage>
#include <QString>

#include <optional>

// Windows bitmaps written row by row straight into the file: 24 bits a
// pixel, bottom row first, each row padded to four bytes, with the header
// that Qt's own bitmap writer gives. Only one block of rows is held in memory
// besides the image.
namespace bmpfile {

// Writes `image` as a bitmap file at `path` with the guarantees of
// safesave::writeFileWith. Images that are not 32-bit are converted first.
std::optional<Failure> write(const QString &path, const QImage &image);

} // namespace bmpfile

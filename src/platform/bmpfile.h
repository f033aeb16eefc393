// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "pixelimage.h"

#include <QString>

#include <optional>

class QImage;

// Windows bitmaps written row by row straight into the file: 24 bits a
// pixel, bottom row first, each row padded to four bytes, with the header
// that Qt's own bitmap writer gives. Only one block of rows is held in memory
// besides the image.
namespace bmpfile {

// Writes the pixels as a bitmap file at `path` with the guarantees of
// safesave::writeFileWith, stating the given resolution.
std::optional<Failure> write(const QString &path, const PixelRows &pixels, int dotsPerMeterX,
                             int dotsPerMeterY);

// The same for a Qt image, with its resolution or else 72 dots an inch, as
// Qt's writer gives; images that are not 32-bit are converted first
// (volutra_images).
std::optional<Failure> write(const QString &path, const QImage &image);

} // namespace bmpfile

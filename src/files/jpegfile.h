// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "pixelimage.h"

#include <QString>

#include <optional>

// JPEG pictures: baseline, 8-bit RGB with the encoder's usual 4:2:0
// sampling, written row by row straight into the file.
namespace jpegfile {

// Writes the pixels at `quality` (1 to 100) with the guarantees of
// safesave::writeFileWith, stating the resolution in dots an inch.
std::optional<Failure> write(const QString &path, const PixelRows &pixels, int quality, int dotsPerInch);

} // namespace jpegfile

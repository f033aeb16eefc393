// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "picturetext.h"
#include "pixelimage.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

// PNG pictures that carry the recipe of their figure in a text chunk named
// "Volutra recipe", written before the pixels so that reading the recipe
// back never decodes them.
namespace pngrecipe {

inline constexpr char keyword[] = "Volutra recipe";

// Writes the pixels as an 8-bit RGB PNG with `recipe` in its text chunk. The rows are encoded one at a time
// straight into the file, with a fast compression level and no filtering:
// a drawing's flat areas compress well without them. The file is replaced
// only once complete.
std::optional<Failure> write(const QString &path, const PixelRows &pixels, const QByteArray &recipe);

// The recipe chunk's text, or why there is none.
using Reading = picturetext::Reading;

// Reads the chunks before the pixels of the PNG at `path`, from a device
// open for reading, or of `bytes`.
Reading read(const QString &path);
Reading read(QIODevice &device);
Reading readBytes(const QByteArray &bytes);

// Whether the first bytes of a file are those of a PNG.
bool isPng(const QByteArray &start);

} // namespace pngrecipe

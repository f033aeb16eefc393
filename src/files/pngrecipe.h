// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "picturetext.h"
#include "pixelimage.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

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

// Rows of palette indices, a byte a pixel, `stride` bytes apart.
struct IndexedRows {
    const std::uint8_t *first = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;
    const std::uint8_t *row(int y) const { return first + y * stride; }
};

// Writes the rows as an 8-bit PNG of the colours of `palette` (0xRRGGBB,
// 256 at most, which the indices must stay within), as write() does.
std::optional<Failure> writeIndexed(const QString &path, const IndexedRows &indices,
                                    const std::vector<std::uint32_t> &palette, const QByteArray &recipe);

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

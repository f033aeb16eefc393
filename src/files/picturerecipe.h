// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformat.h"
#include "picturetext.h"
#include "recipetext.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

// The recipe of a figure from a picture of ours, whichever kind it is: the
// one place that picks the reader, for the window and the render command.
namespace picturerecipe {

// How many first bytes formatOf looks at.
inline constexpr qint64 startBytes = 64;

// The kind of picture a file that may carry a recipe is: a PNG or a PDF by
// its first bytes, whatever its name; else by the name's extension (.png,
// .svg, .pdf); else an SVG when it begins as XML does and is not named as a
// parameter file. Nothing for anything else, which is a parameter file.
std::optional<fileformat::Format> formatOf(const QByteArray &start, const QString &path);

// The recipe text of the picture of `format` on `device`.
picturetext::Reading readText(fileformat::Format format, QIODevice &device);

// The recipe of the picture of `format` on `device`, or why there is none.
recipetext::Reading read(fileformat::Format format, QIODevice &device);

} // namespace picturerecipe

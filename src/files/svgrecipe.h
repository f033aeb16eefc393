// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picturetext.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The recipe of a vector drawing of ours, which svgwriter puts in the
// <metadata> element right under <svg>, before the strokes: its text begins
// with the recipe's version line. The drawing is read as XML only up to the
// end of that element.
namespace svgrecipe {

// Reads the recipe of the SVG at `path`, from a device open for reading, or
// of `bytes`.
picturetext::Reading read(const QString &path);
picturetext::Reading read(QIODevice &device);
picturetext::Reading readBytes(const QByteArray &bytes);

// Whether the first bytes of a file are those of an XML document: a "<"
// after an optional byte order mark and blanks.
bool looksLikeXml(const QByteArray &start);

} // namespace svgrecipe

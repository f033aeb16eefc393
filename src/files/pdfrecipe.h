// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picturetext.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The recipe of a PDF of ours, in the document's XMP metadata: a packet
// whose description holds the recipe text in the element <volutra:recipe>
// of the program's own namespace. The metadata stream is written
// uncompressed (QPdfWriter::setDocumentXmpMetadata does), so that a reader
// finds the packet in the file's bytes without reading the PDF's objects.
namespace pdfrecipe {

inline constexpr char namespaceUri[] = "https://volutra.org/ns/recipe/1/";
inline constexpr char elementName[] = "recipe";

// The XMP packet that holds `recipeText` (lines ended by LF, as a PNG's
// chunk holds them), for QPdfWriter::setDocumentXmpMetadata.
QByteArray xmpMetadata(const QString &recipeText);

// Reads the recipe of the PDF at `path`, from a device open for reading, or
// of `bytes`: the recipe element of the first metadata packet that holds one.
picturetext::Reading read(const QString &path);
picturetext::Reading read(QIODevice &device);
picturetext::Reading readBytes(const QByteArray &bytes);

// Whether the first bytes of a file are those of a PDF.
bool isPdf(const QByteArray &start);

} // namespace pdfrecipe

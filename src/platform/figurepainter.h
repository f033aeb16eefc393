// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "strokedfigure.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class QIODevice;

// Paints a stroked figure (see strokedfigure.h) with Qt's painter:
// anti-aliased into pixels, or as the page of a PDF drawing. Runs are lines
// with round caps and joins, dots round dots of the pen's diameter (in pixels,
// a pen of one pixel sets a blended square of one pixel), each part in its
// colour, over the background. This header needs Qt's core only, so
// that the headless renderer can name what it takes from the painting module,
// which it loads only for these pictures (see paintloader.h).
namespace figurepainter {

// A PDF page in millimetres, turned as it is to be read, and the margin kept
// free on every side.
struct Page {
    double width;
    double height;
    double margin;
};

// What the document says about itself: title, creator and, when not empty,
// its XMP metadata packet.
struct Metadata {
    QString title;
    QString creator;
    QByteArray xmp;
};

// What the painting module hands out.
struct Functions {
    // Paints the figure, its canvas scaled to `width` by `height`, into rows
    // of 0xffRRGGBB pixels `stride` pixels apart.
    bool (*pixels)(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride);
    // The same without the background: the strokes go over the pixels there
    // are, as the next strokes of a picture painted a part at a time.
    bool (*strokes)(const StrokedFigure &figure, std::uint32_t *bits, int width, int height,
                    qsizetype stride);
    // How much of each pixel the strokes cover, whatever their colour, from
    // 0 to 255, added to the bytes of rows `stride` bytes apart (zero for a
    // new picture): a picture of one pen colour, mixed with the background
    // in 256 shades at most.
    bool (*coverage)(const StrokedFigure &figure, std::uint8_t *bits, int width, int height,
                     qsizetype stride);
    // Writes the figure as a PDF drawing of one page to `device`: its canvas
    // scaled uniformly into the page less the margin, and centred.
    bool (*pdf)(const StrokedFigure &figure, const Page &page, const Metadata &metadata, QIODevice &device);
};

// The painter's functions, for a program that links them.
const Functions &functions();

} // namespace figurepainter

#pragma once

#include "failure.h"
#include "recipe.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

// A figure as a vector drawing: one path through its points in counter
// order, in pixels (twips / twips per pixel) with two decimals, stroked in
// the pen colour with the pen size as its width and round caps and joins,
// over a rectangle of the background colour. Raster drawing modes have no
// meaning here; the pen colour is that of the first point.
namespace svgwriter {

// Writes the drawing of a completed recipe on a canvas of `canvas` pixels.
std::optional<Failure> write(const QString &path, const Recipe &recipe, QSize canvas, double twipsPerPixel);

// The whole text, for small figures and tests.
QByteArray text(const Recipe &recipe, QSize canvas, double twipsPerPixel);

} // namespace svgwriter

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "framing.h"
#include "recipetext.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// A figure as a vector drawing: its strokes (see strokes.h) as paths in
// pixels (twips / twips per pixel) with at most two decimals, stroked in the
// pen colour with the pen size as its width and round caps and joins, so
// that a dot is a subpath of no length; over a rectangle of the background
// colour, with the recipe in the drawing's metadata as a PNG carries it
// (lines ended by LF).
// Raster drawing modes have no meaning here; the pen colour is that of the
// first point.
namespace svgwriter {

// Drawings whose text would be larger are refused before anything is written.
inline constexpr std::uint64_t maximumBytes = std::uint64_t(64) << 20;

// Every function takes the frame that places the figure's points on the
// canvas (see framing.h); the default leaves them where they were drawn.

// Why a figure gets no vector drawing: its text would pass `bound` bytes.
std::optional<QString> refusal(const recipetext::FigureRecipe &figure, std::uint64_t bound = maximumBytes,
                               const framing::Frame &frame = {});

// Writes the drawing of a completed recipe on its canvas.
std::optional<Failure> write(const QString &path, const recipetext::FigureRecipe &figure,
                             const framing::Frame &frame = {});

// The whole text, for small figures and tests.
QByteArray text(const recipetext::FigureRecipe &figure, const framing::Frame &frame = {});

} // namespace svgwriter

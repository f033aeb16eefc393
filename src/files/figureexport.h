// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "animation.h"
#include "drawingsurface.h"
#include "failure.h"
#include "figurepainter.h"
#include "fileformat.h"
#include "framing.h"
#include "headlessdrawing.h"
#include "picturelook.h"
#include "pixelimage.h"
#include "recipetext.h"
#include "strokedfigure.h"

#include <QString>

#include <cstddef>
#include <optional>

// Writing a figure to a file in each format, and the window's "Export
// figure", which draws a kept recipe again.
namespace figureexport {

// Whether `format` is made of the drawn pixels; the parameter file and the
// vector drawings are made from the recipe alone.
bool needsPixels(fileformat::Format format);

// Writes the figure of `kept` in `format`: from the pixels of `surface`,
// which holds it drawn, when the format needs them (a PNG carries `kept` as
// its recipe), else from the recipe alone (`surface` may then be null), its
// points placed by `frame`.
std::optional<Failure> write(fileformat::Format format, const QString &path,
                             const recipetext::FigureRecipe &kept, const DrawingSurface *surface,
                             const framing::Frame &frame = {});

// Why a figure is not written in `format` at all: a vector drawing whose
// text would pass its bound.
std::optional<QString> refusal(fileformat::Format format, const recipetext::FigureRecipe &kept,
                               const framing::Frame &frame = {});

// The frame that fits the job's figure, scaled uniformly and centred, in the
// picture's canvas less the look's margin: the job's canvas, or the printable
// area of a PDF page in points. The figure is drawn once without pixels to
// find its points. The identity when the look does not fit.
framing::Frame frameFor(const headless::Job &job, fileformat::Format format, const picturelook::Look &look);

// A picture painted from strokes (see picturelook::painted): the strokes are
// made before anything is written, so that a drawing too large is refused
// first.
struct Painted {
    StrokedFigure strokes;
    Recipe kept;
    // The strokes passed the bound of a PDF drawing and were not all kept.
    bool overflowed = false;
};

// A PDF drawing of more points than this is refused: about 64 MB of page.
inline constexpr std::size_t maximumPdfPoints = std::size_t(4) << 20;

// Draws the job through a stroke recorder, its points placed by `frame`; a
// PDF drawing keeps at most `pdfPoints` points.
Painted paint(const headless::Job &job, fileformat::Format format, const picturelook::Look &look,
              const framing::Frame &frame, std::size_t pdfPoints = maximumPdfPoints);

// Why a painted picture is not written: a PDF drawing past its bound.
std::optional<QString> refusal(const Painted &painted);

// The pixels of painted strokes at `size`: a figure of one pen colour as
// the share of each pixel it covers, mixed with the background, others in
// their colours; null when there is no memory or the painter fails.
PixelImage paintedPixels(const figurepainter::Functions &painter, const StrokedFigure &strokes, QSize size);

// Writes a painted picture; a raster picture is `canvas` pixels large and a
// PNG carries `kept` as its recipe.
std::optional<Failure> writePainted(fileformat::Format format, const QString &path,
                                    const recipetext::FigureRecipe &kept, const Painted &painted,
                                    const picturelook::Look &look);

// Exports a kept figure as the extension of `path` asks: a parameter file
// with the recipe, or the figure drawn again on a canvas of `figure.canvas`,
// or traced as an animation of the default length, told to `progress`,
// which may stop it (the failure is then Cancelled); a picture or an
// animation is shown as `look` says. A picture of a recipe that could never
// finish drawing is refused with its reason, as is a look that does not
// apply. `path` must name a format (see fileformat::byExtension).
std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure,
                                    const picturelook::Look &look = {},
                                    const animation::Progress &progress = {});

} // namespace figureexport

#pragma once

#include "animation.h"
#include "drawingsurface.h"
#include "failure.h"
#include "fileformat.h"
#include "recipetext.h"

#include <QString>

#include <optional>

// Writing a figure to a file in each format, and the window's "Export
// figure", which draws a kept recipe again.
namespace figureexport {

// Whether `format` is made of the drawn pixels; the parameter file and the
// vector drawing are made from the recipe alone.
bool needsPixels(fileformat::Format format);

// Writes the figure of `kept` in `format`: from the pixels of `surface`,
// which holds it drawn, when the format needs them (a PNG carries `kept` as
// its recipe), else from the recipe alone (`surface` may then be null).
std::optional<Failure> write(fileformat::Format format, const QString &path,
                             const recipetext::FigureRecipe &kept, const DrawingSurface *surface);

// Why a figure is not written in `format` at all: a vector drawing whose
// text would pass its bound.
std::optional<QString> refusal(fileformat::Format format, const recipetext::FigureRecipe &kept);

// Exports a kept figure as the extension of `path` asks: a parameter file
// with the recipe, or the figure drawn again on a canvas of `figure.canvas`,
// or traced as an animation of the default length, told to `progress`,
// which may stop it (the failure is then Cancelled). A picture of a recipe
// that could never finish drawing is refused with its reason. `path` must
// name a format (see fileformat::byExtension).
std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure,
                                    const animation::Progress &progress = {});

} // namespace figureexport

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recipe.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

// The kept recipe of a figure as text: the fourteen lines of the parameter
// file (field texts that read back to the same completed parameters, the pen
// colour of the first point and the background), and the settings the
// drawing used, one "name value" line each, under a line that names the
// recipe's version:
//
//   Volutra recipe 1
//   stepSize 100
//   turns 1
//   penSize 1
//   drawMode 13
//   drawLeftOffset 50
//   drawTopOffset 50
//   drawPartX 1
//   drawPartY 1
//   windowWidth 8790        (the window's outer size in twips, which
//   windowHeight 6990        the scales were computed from)
//   canvas 586 466          (pixels)
//   twipsPerPixel 15
//   randomPen SEED DRAWS    (only when the pen changed at every checkpoint)
//
// A picture's text chunk holds the version line first, then the fourteen
// lines, then the settings. An exported parameter file holds the fourteen
// lines first, so that Load reads it as any other parameter file and never
// sees what follows them.
namespace recipetext {

inline constexpr int version = 1;
inline constexpr char versionPrefix[] = "Volutra recipe ";

// A recipe with the canvas it is drawn on.
struct FigureRecipe {
    // For a recipe read back, `typed` holds the field texts to read and
    // `parameters` is not completed.
    Recipe recipe;
    QSize canvas;
    double twipsPerPixel = 15;
    // False for a plain parameter file: only the texts and colours are known.
    bool hasSettings = false;
};

// The text of a picture's recipe chunk, and of an exported parameter file.
// `figure.recipe` must be one that a drawing kept.
QByteArray chunkText(const FigureRecipe &figure);
QByteArray parameterFile(const FigureRecipe &figure);

// What reading found: the recipe, or why there is none.
struct Reading {
    std::optional<FigureRecipe> figure;
    QString error;
};

// Reads either layout. A parameter file without the settings gives a recipe
// with hasSettings false. Unknown names are skipped, so that a later version
// may add lines; a version above this program's is refused.
Reading read(const QByteArray &text);

} // namespace recipetext

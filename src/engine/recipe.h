// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "curve.h"
#include "drawingprefs.h"
#include "parametertexts.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Where the pen colours of a figure come from when they change at every
// checkpoint: the generator's seed and how many numbers it had given before
// the first point.
struct RandomPen {
    std::uint64_t seed = 0;
    std::uint64_t drawsBefore = 0;

    bool operator==(const RandomPen &) const = default;
};

// Everything that shaped one drawing, kept when it starts, so that the figure
// can be drawn again exactly: a random figure included.
struct Recipe {
    // The texts as they were read, and the parameters completed from them
    // (the random amplitude and divisor, the scales).
    ParameterTexts typed;
    CurveParameters parameters;

    // Step, turns, pen, mode and placement as the drawing used them. Its
    // random colours are 0: the colours it took are kept below.
    DrawingPrefs prefs;
    // The pen colour of the first point and the colour the drawing started on.
    colors::Color penColor = colors::white;
    colors::Color backColor = colors::black;
    // Set when the pen took a new random colour at every checkpoint.
    std::optional<RandomPen> randomPen;

    // The window's outer size in twips, which the scales were computed from.
    double outerWidth = 0;
    double outerHeight = 0;
};

namespace recipe {

// The twelve field texts that give back `parameters` when read and completed
// at the same outer size: each amplitude in the shortest form that reads back
// to the same double, each frequency in the "/" form (divisor = -10 x v; a
// typed frequency whose divisor has no such form stays as typed), every other
// field as typed, in a form without leading blanks.
ParameterTexts fieldTexts(const Recipe &recipe);

// Hands the points of a completed recipe to `sink` in counter order, in
// batches, in twips, until `sink` returns false. The counter runs as in the
// drawing run; a step of 0, which would repeat the first point for ever,
// gives that point alone.
void eachPoint(const Recipe &completed, const std::function<bool(const CurvePointF *, std::size_t)> &sink);

// The shortest decimal text that leadingNumber reads back to `value`; the
// infinities as numbers too large for a double.
std::string exactText(double value);

// A "/" frequency text whose divisor reads back to `divisor` exactly, taken
// to single precision when `single` (the Y divisor is a single); nothing
// when no such text exists, as for some divisors of a typed frequency.
std::optional<std::string> divisorText(double divisor, bool single);

} // namespace recipe

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rasterop.h"

#include <cstdint>

// Where and how large the figure is drawn: its top left corner in twips and
// the parts of the window it fills.
struct Placement {
    std::int32_t drawLeftOffset = 50;
    std::int32_t drawTopOffset = 50;
    float drawPartX = 1;
    float drawPartY = 1;

    bool operator==(const Placement &) const = default;
};

// The preferences that shape a drawing beyond its parameters, as the
// settings file keeps them, the window holds them and a recipe records them.
struct DrawingPrefs {
    double stepSize = 100;
    float turns = 1;
    std::int16_t penSize = 1;
    std::int16_t drawMode = rasterop::CopyPen;
    Placement placement;
    // 0 keeps the colours; odd values take a new pen colour at every
    // checkpoint, values above 1 a random background for every drawing.
    std::int16_t randomColors = 0;
    std::int32_t mouseDelay = 200;
    std::int32_t autoRunDelay = 0;

    bool operator==(const DrawingPrefs &) const = default;
};

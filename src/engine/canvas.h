// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "curve.h"

#include <cstddef>

// The drawing operations the engine performs on the window's surface.
// Coordinates are twips; every operation combines the colour with the
// surface by the current drawing mode.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Repaints the whole surface, the persistent image included.
    virtual void setBackColor(colors::Color color) = 0;

    virtual void pset(float x, float y, colors::Color color) = 0;

    // Sets many points of one colour; points that are not finite are skipped.
    virtual void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) = 0;

    virtual void line(float x1, float y1, float x2, float y2, colors::Color color) = 0;

    virtual int drawMode() const = 0;
    // The pen width in pixels.
    virtual int drawWidth() const { return 1; }
    virtual void setDrawMode(int mode) = 0;
};

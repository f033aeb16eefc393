// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pixelimage.h"
#include "rasterop.h"

#include <QRect>

#include <cstdint>
#include <vector>

// Setting a pen's pixels on a pixel image, in device pixels: the segments of
// a line and the dots of a wide pen's points. Each pixel covered is combined
// with the pen once, so that drawing twice with an inverting mode restores
// the image. Every function returns the rectangle it may have changed, empty
// for none.
namespace linerasteriser {

struct Pen {
    // 0xffRRGGBB.
    std::uint32_t pixel = 0;
    // One of the raster operations, 1 to 16 (rasterop.h).
    int mode = rasterop::CopyPen;
    // Device pixels across.
    int width = 1;
    // The on and off runs of a dashed line in device pixels, beginning with
    // an on run; empty for a solid line.
    std::vector<int> dashes;
};

// The segment from pixel (ax, ay) to pixel (bx, by), ends that may lie far
// outside the image: one pixel wide a step at a time along its major axis,
// wider every pixel whose centre lies within half the pen's width of it.
QRect line(PixelImage &image, double ax, double ay, double bx, double by, const Pen &pen);

// The dot `pen.width` pixels across centred on pixel (cx, cy).
QRect dot(PixelImage &image, int cx, int cy, const Pen &pen);

} // namespace linerasteriser

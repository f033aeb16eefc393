// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "figurepainter.h"
#include "pixelimage.h"
#include "strokedfigure.h"

#include <QSize>

#include <cstdint>
#include <unordered_set>

// The frames of a smooth traced animation, painted a part at a time: each
// frame is the one before with the strokes set since painted over it, so
// that no frame paints the figure again. The strokes come from the drawing
// that goes through canvas(); the background, pen and mode go on to
// `target`. The frames start from `background`, or from the one the drawing
// sets. A dot is painted once in its pixel and colour, as the still
// paints it.
class SmoothFrames {
public:
    SmoothFrames(const figurepainter::Functions &painter, Canvas &target, QSize size, double twipsPerPixel,
                 colors::Color background);

    Canvas &canvas() { return recorder_; }

    // The next frame: the strokes set since the last one painted over it.
    // Null when there is no memory for the picture or the painter failed.
    const PixelImage *next();

private:
    struct Dot {
        std::uint32_t rgb;
        std::int64_t x;
        std::int64_t y;
        bool operator==(const Dot &) const = default;
    };
    struct DotHash {
        std::size_t operator()(const Dot &dot) const;
    };
    void leaveOutPaintedDots(StrokedFigure &strokes);

    const figurepainter::Functions &painter_;
    StrokeRecorder recorder_;
    QSize size_;
    PixelImage image_;
    bool started_ = false;
    std::unordered_set<Dot, DotHash> painted_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "pixelset.h"
#include "strokes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A figure as the strokes a round pen paints (see strokes.h), for the
// painted pictures: a smooth raster picture and the PDF drawing. Plain data,
// in pixels of a canvas of `width` by `height`, so that the painter needs
// nothing but this header.
struct StrokedFigure {
    // The strokes of one pen colour, in the order they were drawn.
    struct Part {
        // 0xRRGGBB.
        std::uint32_t rgb = 0;
        std::vector<std::vector<strokes::Point>> runs;
        // The lone points where they lie, one to a pixel.
        std::vector<strokes::Point> dots;
    };
    double width = 0;
    double height = 0;
    // 0xRRGGBB.
    std::uint32_t background = 0;
    double penWidth = 1;
    std::vector<Part> parts;
};

// A canvas that keeps the points a drawing run sets as strokes, in pixels,
// one part for each colour the pen takes: the strokes break where the pen
// changes colour, and the run of the new colour starts at the last point of
// the old one, so that the line has no gap. Runs are joined and simplified as
// strokes::Builder does; a lone point is kept where it lies rather than on
// its pixel's centre, so that a smooth picture shades it, but only the first
// of each pixel, kept quickest on the canvas of `width` by `height` (see
// pixelset.h). The background, pen and mode go to `target`, which receives
// no points; the background is kept as well.
class StrokeRecorder : public Canvas {
public:
    StrokeRecorder(Canvas &target, double twipsPerPixel, int width = 0, int height = 0);
    ~StrokeRecorder() override;

    void setBackColor(colors::Color color) override;
    void pset(float x, float y, colors::Color color) override;
    void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) override;
    // Lines belong to the progress bar, which no picture shows.
    void line(float, float, float, float, colors::Color) override {}
    int drawMode() const override { return target_.drawMode(); }
    int drawWidth() const override { return target_.drawWidth(); }
    void setDrawMode(int mode) override { target_.setDrawMode(mode); }

    // Stops keeping points once the strokes hold more than `points` of them,
    // the points of the runs and the dots; overflowed() then says so.
    void setLimit(std::size_t points) { limit_ = points; }
    bool overflowed() const { return overflowed_; }

    // The strokes on a canvas of `width` by `height` pixels.
    StrokedFigure finish(double width, double height);
    // The strokes kept since the last cut, or since the start, as finish()
    // gives them; the recorder goes on. A run under way ends here, and the
    // strokes after the cut start again at its last point, so that the line
    // has no gap. A dot in the same pixel as one before the cut is kept again.
    StrokedFigure cut(double width, double height);

private:
    void startPart(colors::Color color);
    void endPart();
    void add(strokes::Point point);
    void endRun();
    void keepDot(strokes::Point dot);
    void compactOffCanvas();

    Canvas &target_;
    double perPixel_;
    StrokedFigure figure_;
    std::unique_ptr<strokes::Builder> builder_;
    colors::Color color_ = 0;
    double joinSquared_ = 0;
    bool hasLast_ = false;
    strokes::Point last_{0, 0};
    strokes::Point runFirst_{0, 0};
    std::size_t runLength_ = 0;
    // The pixels of this part's dots on the canvas, and its dots off it,
    // cleared of repeats now and then.
    strokes::PixelSet dotPixels_;
    std::vector<strokes::Point> offCanvas_;
    std::size_t compactAt_ = 0;
    std::size_t stored_ = 0;
    std::size_t limit_ = static_cast<std::size_t>(-1);
    bool overflowed_ = false;
};

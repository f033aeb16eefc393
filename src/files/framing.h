// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "recipe.h"

#include <optional>
#include <vector>

// Framing a figure: its points scaled uniformly, so that they keep the
// proportions they were drawn with, and centred in the canvas less a margin.
namespace framing {

// The smallest rectangle that holds the finite points of a completed
// recipe, in twips; nothing for a figure without such points.
struct Box {
    double left;
    double top;
    double right;
    double bottom;
};
std::optional<Box> bounds(const Recipe &completed);

// Where a point goes: x' = scale * x + dx, y' = scale * y + dy.
struct Frame {
    double scale = 1;
    double dx = 0;
    double dy = 0;
};

// The frame that centres `box` in an area of `width` by `height` less
// `margin` on every side, all in the same unit; a box of no size is only
// centred.
Frame fitted(const Box &box, double width, double height, double margin);

// The default margin: 5 % of the shorter side.
double defaultMargin(double width, double height);

} // namespace framing

// A canvas that hands every point and line to another one through a frame.
class FramedCanvas : public Canvas {
public:
    FramedCanvas(Canvas &target, framing::Frame frame);

    void setBackColor(colors::Color color) override { target_.setBackColor(color); }
    void pset(float x, float y, colors::Color color) override;
    void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) override;
    void line(float x1, float y1, float x2, float y2, colors::Color color) override;
    int drawMode() const override { return target_.drawMode(); }
    int drawWidth() const override { return target_.drawWidth(); }
    void setDrawMode(int mode) override { target_.setDrawMode(mode); }

private:
    CurvePointF framed(float x, float y) const;

    Canvas &target_;
    framing::Frame frame_;
    std::vector<CurvePointF> buffer_;
};

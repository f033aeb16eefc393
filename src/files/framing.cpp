// SPDX-License-Identifier: GPL-3.0-or-later
#include "framing.h"

#include <algorithm>
#include <cmath>

namespace framing {

std::optional<Box> bounds(const Recipe &completed)
{
    std::optional<Box> box;
    recipe::eachPoint(completed, [&box](const CurvePointF *points, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = points[i].x;
            const double y = points[i].y;
            if (!std::isfinite(x) || !std::isfinite(y))
                continue;
            if (!box)
                box = Box{x, y, x, y};
            box->left = std::min(box->left, x);
            box->top = std::min(box->top, y);
            box->right = std::max(box->right, x);
            box->bottom = std::max(box->bottom, y);
        }
        return true;
    });
    return box;
}

Frame fitted(const Box &box, double width, double height, double margin)
{
    const double roomX = std::max(0.0, width - 2 * margin);
    const double roomY = std::max(0.0, height - 2 * margin);
    const double spanX = box.right - box.left;
    const double spanY = box.bottom - box.top;
    double scale = 1;
    if (spanX > 0 || spanY > 0)
        scale = std::min(spanX > 0 ? roomX / spanX : INFINITY, spanY > 0 ? roomY / spanY : INFINITY);
    return {scale, width / 2 - scale * (box.left + box.right) / 2,
            height / 2 - scale * (box.top + box.bottom) / 2};
}

double defaultMargin(double width, double height)
{
    return 0.05 * std::min(width, height);
}

} // namespace framing

FramedCanvas::FramedCanvas(Canvas &target, framing::Frame frame) : target_(target), frame_(frame) {}

CurvePointF FramedCanvas::framed(float x, float y) const
{
    return {static_cast<float>(frame_.scale * x + frame_.dx),
            static_cast<float>(frame_.scale * y + frame_.dy)};
}

void FramedCanvas::pset(float x, float y, colors::Color color)
{
    const CurvePointF p = framed(x, y);
    target_.pset(p.x, p.y, color);
}

void FramedCanvas::psetMany(const CurvePointF *points, std::size_t count, colors::Color color)
{
    buffer_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        buffer_[i] = framed(points[i].x, points[i].y);
    target_.psetMany(buffer_.data(), count, color);
}

void FramedCanvas::line(float x1, float y1, float x2, float y2, colors::Color color)
{
    const CurvePointF a = framed(x1, y1);
    const CurvePointF b = framed(x2, y2);
    target_.line(a.x, a.y, b.x, b.y, color);
}

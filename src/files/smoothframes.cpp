// SPDX-License-Identifier: GPL-3.0-or-later
#include "smoothframes.h"

#include <algorithm>
#include <cmath>
#include <functional>

SmoothFrames::SmoothFrames(const figurepainter::Functions &painter, Canvas &target, QSize size,
                           double twipsPerPixel, colors::Color background)
    : painter_(painter), recorder_(target, twipsPerPixel, size.width(), size.height()), size_(size)
{
    recorder_.setBackColor(background);
}

std::size_t SmoothFrames::DotHash::operator()(const Dot &dot) const
{
    const std::hash<std::int64_t> hash;
    return hash(dot.x) ^ (hash(dot.y) * 0x9e3779b97f4a7c15u) ^ (std::size_t(dot.rgb) << 17);
}

void SmoothFrames::leaveOutPaintedDots(StrokedFigure &strokes)
{
    for (StrokedFigure::Part &part : strokes.parts) {
        const auto painted = [this, &part](const strokes::Point &point) {
            const Dot dot{part.rgb, std::int64_t(std::floor(point.x)), std::int64_t(std::floor(point.y))};
            return !painted_.insert(dot).second;
        };
        part.dots.erase(std::remove_if(part.dots.begin(), part.dots.end(), painted), part.dots.end());
    }
}

const PixelImage *SmoothFrames::next()
{
    StrokedFigure strokes = recorder_.cut(size_.width(), size_.height());
    leaveOutPaintedDots(strokes);
    if (!started_) {
        image_ = PixelImage(size_);
        if (image_.isNull())
            return nullptr;
        std::fill_n(image_.bits(), image_.stride() * image_.height(), 0xff000000u | strokes.background);
        started_ = true;
    }
    if (!strokes.parts.empty() &&
        !painter_.strokes(strokes, image_.bits(), image_.width(), image_.height(), image_.stride()))
        return nullptr;
    return &image_;
}

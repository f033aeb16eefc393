// SPDX-License-Identifier: GPL-3.0-or-later
#include "strokedfigure.h"

#include <algorithm>
#include <cmath>

StrokeRecorder::StrokeRecorder(Canvas &target, double twipsPerPixel)
    : target_(target), perPixel_(1.0 / twipsPerPixel)
{
}

StrokeRecorder::~StrokeRecorder() = default;

void StrokeRecorder::pset(float x, float y, colors::Color color)
{
    const CurvePointF point{x, y};
    psetMany(&point, 1, color);
}

void StrokeRecorder::psetMany(const CurvePointF *points, std::size_t count, colors::Color color)
{
    if (overflowed_ || count == 0)
        return;
    if (!builder_ || figure_.parts.back().rgb != (colors::toPixel(color) & 0xffffffu))
        startPart(color);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = points[i].x * perPixel_;
        const double y = points[i].y * perPixel_;
        // Points far off the canvas break the figure like those that are
        // not finite.
        hasLast_ = std::fabs(x) <= 1e12 && std::fabs(y) <= 1e12;
        if (hasLast_) {
            last_ = {x, y};
            builder_->add(x, y);
        } else {
            builder_->add(NAN, NAN);
        }
    }
    if (stored_ + builder_->fewestDots() > limit_)
        overflowed_ = true;
}

void StrokeRecorder::startPart(colors::Color color)
{
    const bool joined = builder_ && hasLast_;
    endPart();
    figure_.parts.push_back({colors::toPixel(color) & 0xffffffu, {}, {}});
    StrokedFigure::Part *part = &figure_.parts.back();
    const double join = strokes::joinDistance(std::max(1, target_.drawWidth()));
    builder_ = std::make_unique<strokes::Builder>(join, [this, part](const std::vector<strokes::Point> &run) {
        part->runs.push_back(run);
        stored_ += run.size();
    });
    if (joined)
        builder_->add(last_.x, last_.y);
}

void StrokeRecorder::endPart()
{
    if (!builder_)
        return;
    builder_->finish();
    figure_.parts.back().dots = builder_->dots();
    stored_ += builder_->dots().size();
    builder_.reset();
    if (stored_ > limit_)
        overflowed_ = true;
}

StrokedFigure StrokeRecorder::finish(double width, double height)
{
    endPart();
    figure_.width = width;
    figure_.height = height;
    figure_.penWidth = std::max(1, target_.drawWidth());
    return std::move(figure_);
}

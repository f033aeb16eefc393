// SPDX-License-Identifier: GPL-3.0-or-later
#include "strokedfigure.h"

#include <algorithm>
#include <cmath>

namespace {

// As strokes::Builder: points closer than this are on the same place.
constexpr double samePlace = 0.005;
// Dots off the canvas are made one to a pixel once there are this many, and
// again each time they have doubled.
constexpr std::size_t compactFrom = 1 << 16;

double squared(double v)
{
    return v * v;
}

bool before(const strokes::Point &a, const strokes::Point &b)
{
    const strokes::Pixel p = strokes::pixelOf(a);
    const strokes::Pixel q = strokes::pixelOf(b);
    return p.y != q.y ? p.y < q.y : p.x < q.x;
}

} // namespace

StrokeRecorder::StrokeRecorder(Canvas &target, double twipsPerPixel, int width, int height)
    : target_(target), perPixel_(1.0 / twipsPerPixel), dotPixels_(width, height)
{
}

StrokeRecorder::~StrokeRecorder() = default;

void StrokeRecorder::setBackColor(colors::Color color)
{
    figure_.background = colors::toPixel(color) & 0xffffffu;
    target_.setBackColor(color);
}

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
        if (std::fabs(x) <= 1e12 && std::fabs(y) <= 1e12) {
            add({x, y});
        } else {
            endRun();
            hasLast_ = false;
        }
    }
    if (stored_ + figure_.parts.back().dots.size() + offCanvas_.size() > limit_)
        overflowed_ = true;
}

void StrokeRecorder::add(strokes::Point point)
{
    if (runLength_ > 0) {
        const double distance = squared(point.x - last_.x) + squared(point.y - last_.y);
        if (distance < samePlace * samePlace)
            return;
        if (distance > joinSquared_)
            endRun();
    }
    if (runLength_++ == 0)
        runFirst_ = point;
    last_ = point;
    hasLast_ = true;
    builder_->add(point.x, point.y);
}

void StrokeRecorder::endRun()
{
    if (builder_)
        builder_->add(NAN, NAN);
    if (runLength_ == 1)
        keepDot(runFirst_);
    runLength_ = 0;
}

void StrokeRecorder::keepDot(strokes::Point dot)
{
    const strokes::Pixel pixel = strokes::pixelOf(dot);
    if (dotPixels_.onCanvas(pixel)) {
        if (dotPixels_.insert(pixel))
            figure_.parts.back().dots.push_back(dot);
        return;
    }
    offCanvas_.push_back(dot);
    if (offCanvas_.size() >= compactAt_)
        compactOffCanvas();
}

void StrokeRecorder::compactOffCanvas()
{
    std::stable_sort(offCanvas_.begin(), offCanvas_.end(), before);
    offCanvas_.erase(std::unique(offCanvas_.begin(), offCanvas_.end(),
                                 [](const strokes::Point &a, const strokes::Point &b) {
                                     return strokes::pixelOf(a) == strokes::pixelOf(b);
                                 }),
                     offCanvas_.end());
    compactAt_ = std::max(compactFrom, 2 * offCanvas_.size());
}

void StrokeRecorder::startPart(colors::Color color)
{
    const bool joined = builder_ && hasLast_ && runLength_ > 0;
    const strokes::Point from = last_;
    endPart();
    color_ = color;
    figure_.parts.push_back({colors::toPixel(color) & 0xffffffu, {}, {}});
    StrokedFigure::Part *part = &figure_.parts.back();
    const double join = strokes::joinDistance(std::max(1, target_.drawWidth()));
    joinSquared_ = join * join;
    compactAt_ = compactFrom;
    builder_ = std::make_unique<strokes::Builder>(join, [this, part](const std::vector<strokes::Point> &run) {
        part->runs.push_back(run);
        stored_ += run.size();
    });
    if (joined)
        add(from);
}

void StrokeRecorder::endPart()
{
    if (!builder_)
        return;
    endRun();
    builder_->finish();
    compactOffCanvas();
    std::vector<strokes::Point> &dots = figure_.parts.back().dots;
    // The next part keeps its dots afresh.
    for (const strokes::Point &dot : dots)
        dotPixels_.erase(strokes::pixelOf(dot));
    dots.insert(dots.end(), offCanvas_.begin(), offCanvas_.end());
    offCanvas_.clear();
    stored_ += dots.size();
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
    StrokedFigure finished = std::move(figure_);
    figure_ = StrokedFigure{};
    figure_.background = finished.background;
    return finished;
}

StrokedFigure StrokeRecorder::cut(double width, double height)
{
    const bool going = builder_ && hasLast_ && runLength_ > 0;
    const strokes::Point from = last_;
    StrokedFigure taken = finish(width, height);
    if (going) {
        startPart(color_);
        add(from);
    }
    return taken;
}

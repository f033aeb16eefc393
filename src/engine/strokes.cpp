// SPDX-License-Identifier: GPL-3.0-or-later
#include "strokes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace strokes {

namespace {

// Points that lie closer than this are on the same place: a hundredth of a
// pixel, the precision a vector drawing writes.
constexpr double samePlace = 0.005;

double squared(double v)
{
    return v * v;
}

// The square of the distance from `p` to the segment from `a` to `b`.
double segmentDistanceSquared(Point p, Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    return squared(p.x - (a.x + t * dx)) + squared(p.y - (a.y + t * dy));
}

// A run this long is handed over in pieces that share their end points, so
// that a figure of a billion close points needs no more memory than this.
constexpr std::size_t longestRun = 1 << 16;

} // namespace

Pixel pixelOf(Point point)
{
    const auto pixel = [](double v) {
        return static_cast<std::int32_t>(std::clamp(std::floor(v), -2147483648.0, 2147483647.0));
    };
    return {pixel(point.x), pixel(point.y)};
}

double joinDistance(double penWidth)
{
    return std::max(1.5, 1.5 * penWidth);
}

std::vector<Point> simplified(const std::vector<Point> &run, double tolerance)
{
    if (run.size() < 3)
        return run;
    // Douglas and Peucker's method, with a stack of spans instead of recursion
    // so that a run of a million points needs no deep call chain.
    std::vector<bool> keep(run.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, run.size() - 1}};
    const double limit = tolerance * tolerance;
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = segmentDistanceSquared(run[i], run[first], run[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > limit) {
            keep[at] = true;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    std::vector<Point> out;
    for (std::size_t i = 0; i < run.size(); ++i)
        if (keep[i])
            out.push_back(run[i]);
    return out;
}

Builder::Builder(double joinDistance, Sink runs, DotSink dots)
    : joinSquared_(joinDistance * joinDistance), runs_(std::move(runs)), dots_(std::move(dots))
{
}

void Builder::add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) {
        endRun();
        return;
    }
    if (!run_.empty()) {
        const double distance = squared(x - run_.back().x) + squared(y - run_.back().y);
        if (distance < samePlace * samePlace)
            return;
        if (distance > joinSquared_)
            endRun();
    }
    run_.push_back({x, y});
    if (run_.size() == longestRun) {
        const Point last = run_.back();
        endRun();
        run_.push_back(last);
    }
}

void Builder::finish()
{
    endRun();
}

void Builder::endRun()
{
    if (run_.size() == 1) {
        if (dots_)
            dots_(run_.front());
    } else if (run_.size() > 1) {
        runs_(simplified(run_, tolerance));
    }
    run_.clear();
}

} // namespace strokes

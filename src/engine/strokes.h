// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A figure's points, in counter order, as the strokes a round pen paints in
// a vector drawing: consecutive points that lie about a pen's width apart or
// closer are joined into runs, and a point with no close neighbour stays a
// dot. A point on the place of the one before it adds nothing, and each run
// is simplified within a tolerance, so that a dense figure becomes a few long
// lines. A vector drawing keeps its dots by the pixel they fall in, as the
// raster sets them, once each (see pixelset.h): a dust figure becomes a cloud
// of dots, as small as it can be.
namespace strokes {

struct Point {
    double x;
    double y;
};

// How far apart two consecutive points may lie and still be joined, in
// pixels, for a pen `penWidth` pixels wide.
double joinDistance(double penWidth);

// How far a simplified run may stray from the points it stands for, in pixels.
inline constexpr double tolerance = 0.1;

// The run with the points it can do without left out: every point left out
// lies within `tolerance` of the line between the two kept around it.
std::vector<Point> simplified(const std::vector<Point> &run, double tolerance);

// A dot's pixel.
struct Pixel {
    std::int32_t x;
    std::int32_t y;

    bool operator==(const Pixel &) const = default;
};

// The pixel a point falls in.
Pixel pixelOf(Point point);

// Takes points one at a time and hands every finished run to a sink as it
// ends, and every lone point, a dot, to another.
class Builder {
public:
    using Sink = std::function<void(const std::vector<Point> &)>;
    using DotSink = std::function<void(Point)>;

    // Without `dots`, lone points are left out.
    Builder(double joinDistance, Sink runs, DotSink dots = {});

    // A point that is not finite ends the run, as a gap in the figure.
    void add(double x, double y);
    // Hands over the last run or dot.
    void finish();

private:
    void endRun();

    double joinSquared_;
    Sink runs_;
    DotSink dots_;
    std::vector<Point> run_;
};

} // namespace strokes

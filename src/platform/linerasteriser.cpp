// SPDX-License-Identifier: GPL-3.0-or-later
#include "linerasteriser.h"

#include <algorithm>
#include <cmath>

namespace linerasteriser {

namespace {

// Clips the segment to the rectangle (Cohen-Sutherland); false when nothing
// of it lies inside. Each crossing is measured from the end nearer to its
// edge, so that an end far outside costs the visible part no precision.
bool clipSegment(double &x1, double &y1, double &x2, double &y2, double left, double top, double right,
                 double bottom)
{
    // A crossing may land a rounding error beyond its edge.
    constexpr double slack = 1e-6;
    const auto outside = [&](double x, double y) {
        return (x < left - slack ? 1 : 0) | (x > right + slack ? 2 : 0) | (y < top - slack ? 4 : 0) |
               (y > bottom + slack ? 8 : 0);
    };
    int code1 = outside(x1, y1);
    int code2 = outside(x2, y2);
    // Each end crosses at most three edges on its way in; rounding cannot
    // keep a segment alive longer than that.
    for (int pass = 0; pass < 8 && (code1 | code2) != 0; ++pass) {
        if ((code1 & code2) != 0)
            return false;
        const bool first = code1 != 0;
        const int code = first ? code1 : code2;
        double x = 0;
        double y = 0;
        if ((code & 3) != 0) {
            x = (code & 1) != 0 ? left : right;
            const double slope = (y2 - y1) / (x2 - x1);
            y = std::abs(x - x1) < std::abs(x - x2) ? y1 + (x - x1) * slope : y2 + (x - x2) * slope;
        } else {
            y = (code & 4) != 0 ? top : bottom;
            const double slope = (x2 - x1) / (y2 - y1);
            x = std::abs(y - y1) < std::abs(y - y2) ? x1 + (y - y1) * slope : x2 + (y - y2) * slope;
        }
        if (first) {
            x1 = x;
            y1 = y;
            code1 = outside(x, y);
        } else {
            x2 = x;
            y2 = y;
            code2 = outside(x, y);
        }
    }
    return (code1 | code2) == 0;
}

// A pen of even width has no middle pixel: its dot is taken half a pixel up
// and to the left of the point, so that it is exactly `width` pixels across.
double penOffset(int width)
{
    return width % 2 == 0 ? 0.5 : 0.0;
}

// One pixel a step from end to end along the major axis (Bresenham), the
// ends lying inside the image; the dashes count the steps.
QRect thinLine(PixelImage &image, double ax, double ay, double bx, double by, const Pen &pen)
{
    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    const int spanX = std::abs(endX - x);
    const int spanY = -std::abs(endY - y);
    int error = spanX + spanY;

    const std::vector<int> &dashes = pen.dashes;
    std::size_t run = 0;
    int leftInRun = dashes.empty() ? 0 : dashes[0];
    QRect dirty;
    for (;;) {
        const bool on = dashes.empty() || run % 2 == 0;
        if (on) {
            std::uint32_t *row = image.row(y);
            row[x] = rasterop::combine(pen.mode, pen.pixel, row[x]);
            dirty |= QRect(x, y, 1, 1);
        }
        if (!dashes.empty() && --leftInRun == 0) {
            run = (run + 1) % dashes.size();
            leftInRun = dashes[run];
        }
        if (x == endX && y == endY)
            break;
        const int doubled = 2 * error;
        if (doubled >= spanY) {
            error += spanY;
            x += stepX;
        }
        if (doubled <= spanX) {
            error += spanX;
            y += stepY;
        }
    }
    return dirty;
}

// Every pixel whose centre lies within half the pen's width of the segment.
// A dashed line of width 1, drawn this wide on a high-density screen, keeps
// its dashes: whether a pixel is on follows its distance from the start
// along the major axis, as the steps of a thin line count.
QRect wideLine(PixelImage &image, double ax, double ay, double bx, double by, const Pen &pen)
{
    std::vector<bool> dashOn;
    for (std::size_t run = 0; run < pen.dashes.size(); ++run)
        dashOn.insert(dashOn.end(), static_cast<std::size_t>(pen.dashes[run]), run % 2 == 0);
    const double reach = pen.width / 2.0;
    const double offset = penOffset(pen.width);
    const int left = std::max(0, static_cast<int>(std::floor(std::min(ax, bx) - reach)));
    const int right = std::min(image.width() - 1, static_cast<int>(std::ceil(std::max(ax, bx) + reach)));
    const int top = std::max(0, static_cast<int>(std::floor(std::min(ay, by) - reach)));
    const int bottom = std::min(image.height() - 1, static_cast<int>(std::ceil(std::max(ay, by) + reach)));
    if (left > right || top > bottom)
        return QRect();
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    const double major = std::max(std::abs(dx), std::abs(dy));
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t *row = image.row(y);
        const double py = y + offset;
        for (int x = left; x <= right; ++x) {
            const double px = x + offset;
            double t = lengthSquared > 0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = ax + t * dx - px;
            const double ey = ay + t * dy - py;
            if (ex * ex + ey * ey > reach * reach)
                continue;
            if (!dashOn.empty()) {
                const auto along = static_cast<std::size_t>(std::floor(t * major));
                if (!dashOn[along % dashOn.size()])
                    continue;
            }
            row[x] = rasterop::combine(pen.mode, pen.pixel, row[x]);
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QRect line(PixelImage &image, double ax, double ay, double bx, double by, const Pen &pen)
{
    // A wide pen covers pixels up to half its width beyond the segment, so it
    // is clipped to the image grown by that much.
    const double margin = pen.width > 1 ? pen.width : 0;
    if (!clipSegment(ax, ay, bx, by, -margin, -margin, image.width() - 1 + margin,
                     image.height() - 1 + margin))
        return QRect();
    return pen.width > 1 ? wideLine(image, ax, ay, bx, by, pen) : thinLine(image, ax, ay, bx, by, pen);
}

QRect dot(PixelImage &image, int cx, int cy, const Pen &pen)
{
    const int width = pen.width;
    const double reach = width / 2.0;
    const double offset = penOffset(width);
    const int left = std::max(0, cx - width / 2);
    const int right = std::min(image.width() - 1, cx + (width - 1) / 2);
    const int top = std::max(0, cy - width / 2);
    const int bottom = std::min(image.height() - 1, cy + (width - 1) / 2);
    if (left > right || top > bottom)
        return QRect();
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t *row = image.row(y);
        for (int x = left; x <= right; ++x) {
            const double dx = x + offset - cx;
            const double dy = y + offset - cy;
            if (dx * dx + dy * dy <= reach * reach)
                row[x] = rasterop::combine(pen.mode, pen.pixel, row[x]);
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace linerasteriser

#include "drawingsurface.h"

#include "bmpfile.h"
#include "rasterop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// On and off runs of pixels for the line styles 1 to 4 (dash, dot, dash-dot,
// dash-dot-dot); styles 0 and 6 are solid and 5 draws nothing.
const std::array<std::vector<int>, 7> stylePatterns = {{
    {},
    {18, 6},
    {3, 3},
    {9, 6, 3, 6},
    {9, 3, 3, 3, 3, 3},
    {},
    {},
}};

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

} // namespace

template <typename Operation> void DrawingSurface::forEachImage(bool persistentToo, Operation operation) const
{
    operation(screen_);
    if (persistentToo && !oneImage_)
        operation(persistent_);
}

DrawingSurface::DrawingSurface(QSize pixels, double twipsPerPixel)
    : twipsPerPixel_(twipsPerPixel), twipsPerDevicePixel_(twipsPerPixel)
{
    resize(pixels);
}

void DrawingSurface::setTwipsPerPixel(double twips)
{
    if (twips > 0 && std::isfinite(twips)) {
        twipsPerPixel_ = twips;
        twipsPerDevicePixel_ = twips / ratio_;
    }
}

QSize DrawingSurface::scaledSize(QSize pixels, double ratio)
{
    return QSize(static_cast<int>(std::ceil(pixels.width() * ratio)),
                 static_cast<int>(std::ceil(pixels.height() * ratio)));
}

QSize DrawingSurface::deviceSize() const
{
    return scaledSize(size_, ratio_);
}

int DrawingSurface::toPixels(double twips) const
{
    const double pixels = std::floor(twips / twipsPerPixel_);
    if (std::isnan(pixels))
        return 0;
    return static_cast<int>(std::clamp(pixels, -1e9, 1e9));
}

void DrawingSurface::resize(QSize pixels)
{
    size_ = pixels.expandedTo(QSize(1, 1));
    const QSize device = deviceSize();
    if (screen_.width() >= device.width() && screen_.height() >= device.height())
        return;
    const QSize grown = device.expandedTo(screen_.size());
    forEachImage(true, [&](PixelImage &image) {
        PixelImage larger(grown);
        if (!blank_) {
            fill(larger);
            larger.copyCorner(image.rows());
        }
        image = larger;
    });
}

void DrawingSurface::setDevicePixelRatio(double ratio, const Rescale &rescale)
{
    // A ratio beyond any screen's would only ask for giant images.
    if (!(ratio > 0 && ratio <= 16) || ratio == ratio_)
        return;
    const double scale = ratio / ratio_;
    ratio_ = ratio;
    twipsPerDevicePixel_ = twipsPerPixel_ / ratio;
    const QSize device = deviceSize();
    forEachImage(true, [&](PixelImage &image) {
        const QSize scaled = scaledSize(image.size(), scale).expandedTo(device);
        image = blank_ ? PixelImage(scaled) : rescale(image, scaled);
    });
    changed(QRect(QPoint(0, 0), screen_.size()));
}

void DrawingSurface::setOneImage(bool one)
{
    if (one == oneImage_)
        return;
    oneImage_ = one;
    if (one)
        persistent_ = PixelImage();
    else // shared until either is drawn on
        persistent_ = blank_ ? PixelImage(screen_.size()) : screen_;
}

// The picture lies at the top left, one of its pixels to a device pixel, so
// that a saved drawing loads back exactly as it was.
void DrawingSurface::fill(PixelImage &image) const
{
    image.fill(colors::toPixel(backColor_));
    image.copyCorner(picture_.rows());
}

void DrawingSurface::settle() const
{
    if (!blank_)
        return;
    blank_ = false;
    forEachImage(true, [this](PixelImage &image) { fill(image); });
}

// Every image that is cleared holds just the background until drawn on, and
// the background changes only together with all images.
void DrawingSurface::paintBackground(bool persistentToo)
{
    if (persistentToo || oneImage_)
        blank_ = true;
    else if (!blank_)
        fill(screen_);
    changed(QRect(QPoint(0, 0), screen_.size()));
}

const PixelImage &DrawingSurface::screen() const
{
    settle();
    return screen_;
}

const PixelImage &DrawingSurface::persistent() const
{
    settle();
    return oneImage_ ? screen_ : persistent_;
}

void DrawingSurface::setBackColor(colors::Color color)
{
    backColor_ = color;
    paintBackground(true);
}

void DrawingSurface::setPicture(PixelImage picture)
{
    picture_ = std::move(picture);
    paintBackground(true);
}

void DrawingSurface::setDrawWidth(int width)
{
    drawWidth_ = std::max(1, width);
}

int DrawingSurface::penPixels() const
{
    return static_cast<int>(std::clamp(std::lround(drawWidth_ * ratio_), 1L, 1L << 20));
}

void DrawingSurface::setDrawMode(int mode)
{
    if (mode >= rasterop::Black && mode <= rasterop::White)
        drawMode_ = mode;
}

void DrawingSurface::setDrawStyle(int style)
{
    if (style >= 0 && style <= 6)
        drawStyle_ = style;
}

void DrawingSurface::cls()
{
    paintBackground(autoRedraw_);
}

void DrawingSurface::changed(const QRect &rect)
{
    if (listener_ && !rect.isEmpty())
        listener_(rect);
}

// Sets the dot `width` device pixels across centred on pixel (cx, cy) in
// every image that receives drawing; each pixel of the dot is combined once.
void DrawingSurface::applyDot(int cx, int cy, int width, std::uint32_t pen, QRect &dirty)
{
    const double reach = width / 2.0;
    const double offset = penOffset(width);
    const int left = std::max(0, cx - width / 2);
    const int right = std::min(screen_.width() - 1, cx + (width - 1) / 2);
    const int top = std::max(0, cy - width / 2);
    const int bottom = std::min(screen_.height() - 1, cy + (width - 1) / 2);
    if (left > right || top > bottom)
        return;
    forEachImage(autoRedraw_, [&](PixelImage &image) {
        for (int y = top; y <= bottom; ++y) {
            std::uint32_t *row = image.row(y);
            for (int x = left; x <= right; ++x) {
                const double dx = x + offset - cx;
                const double dy = y + offset - cy;
                if (dx * dx + dy * dy <= reach * reach)
                    row[x] = rasterop::combine(drawMode_, pen, row[x]);
            }
        }
    });
    dirty |= QRect(QPoint(left, top), QPoint(right, bottom));
}

void DrawingSurface::pset(float x, float y, colors::Color color)
{
    const CurvePointF point{x, y};
    psetMany(&point, 1, color);
}

template <typename Combine>
void DrawingSurface::plotPixels(const CurvePointF *points, std::size_t count, Combine combine)
{
    // Both images are set in one pass over the points, the hot path of a
    // figure drawn point by point; the screen image comes first.
    std::uint32_t *screen = nullptr;
    std::uint32_t *persistent = nullptr;
    forEachImage(autoRedraw_, [&](PixelImage &image) { (screen ? persistent : screen) = image.bits(); });
    const qsizetype stride = screen_.stride();
    const double twips = twipsPerDevicePixel_;
    const int widthPixels = screen_.width();
    const int heightPixels = screen_.height();
    const double width = widthPixels;
    const double height = heightPixels;
    int minX = widthPixels;
    int minY = heightPixels;
    int maxX = -1;
    int maxY = -1;
    // Multiplying by the reciprocal is much cheaper than dividing; where its
    // rounding lands next to a pixel border, the border is checked exactly.
    const double perTwip = 1.0 / twips;
    const auto pixelOf = [twips](double twipsValue, double approximate) {
        int pixel = static_cast<int>(approximate);
        if (pixel * twips > twipsValue)
            --pixel;
        else if ((pixel + 1) * twips <= twipsValue)
            ++pixel;
        return pixel;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const double x = points[i].x;
        const double y = points[i].y;
        const double px = x * perTwip;
        const double py = y * perTwip;
        if (!(px >= 0 && px < width && py >= 0 && py < height))
            continue;
        const int ix = pixelOf(x, px);
        const int iy = pixelOf(y, py);
        if (ix < 0 || ix >= widthPixels || iy < 0 || iy >= heightPixels)
            continue;
        const qsizetype at = iy * stride + ix;
        screen[at] = combine(screen[at]);
        if (persistent)
            persistent[at] = combine(persistent[at]);
        minX = std::min(minX, ix);
        maxX = std::max(maxX, ix);
        minY = std::min(minY, iy);
        maxY = std::max(maxY, iy);
    }
    if (maxX >= 0)
        changed(QRect(QPoint(minX, minY), QPoint(maxX, maxY)));
}

void DrawingSurface::psetMany(const CurvePointF *points, std::size_t count, colors::Color color)
{
    settle();
    const std::uint32_t pen = colors::toPixel(color);
    const int dot = penPixels();
    if (dot == 1) {
        // The common case, kept tight: one pixel per point, and the plain
        // copy mode without the general combination.
        if (drawMode_ == rasterop::CopyPen)
            plotPixels(points, count, [pen](std::uint32_t) { return pen; });
        else
            plotPixels(points, count, [pen, mode = drawMode_](std::uint32_t surface) {
                return rasterop::combine(mode, pen, surface);
            });
        return;
    }

    const double width = screen_.width();
    const double height = screen_.height();
    const double margin = dot;
    QRect dirty;
    for (std::size_t i = 0; i < count; ++i) {
        const double px = std::floor(points[i].x / twipsPerDevicePixel_);
        const double py = std::floor(points[i].y / twipsPerDevicePixel_);
        if (!(px >= -margin && px < width + margin && py >= -margin && py < height + margin))
            continue;
        applyDot(static_cast<int>(px), static_cast<int>(py), dot, pen, dirty);
    }
    changed(dirty);
}

void DrawingSurface::line(float x1, float y1, float x2, float y2, colors::Color color)
{
    if (drawStyle_ == 5 && drawWidth_ == 1)
        return;
    double ax = std::floor(x1 / twipsPerDevicePixel_);
    double ay = std::floor(y1 / twipsPerDevicePixel_);
    double bx = std::floor(x2 / twipsPerDevicePixel_);
    double by = std::floor(y2 / twipsPerDevicePixel_);
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    settle();
    const int dot = penPixels();
    // A wide pen covers pixels up to half its width beyond the segment, so it
    // is clipped to the image grown by that much.
    const double margin = dot > 1 ? dot : 0;
    if (!clipSegment(ax, ay, bx, by, -margin, -margin, screen_.width() - 1 + margin,
                     screen_.height() - 1 + margin))
        return;
    const std::uint32_t pen = colors::toPixel(color);
    const std::vector<int> &pattern =
        drawWidth_ == 1 ? stylePatterns[static_cast<std::size_t>(drawStyle_)] : stylePatterns[0];
    // Dashes and gaps are as long as on an ordinary screen.
    const auto runLength = [&pattern, ratio = ratio_](std::size_t run) {
        return std::max(1, static_cast<int>(std::lround(pattern[run] * ratio)));
    };

    if (dot > 1) {
        // Every pixel whose centre lies within half the pen width of the
        // segment, each combined once so that inverting twice restores. A
        // styled line of width 1, drawn this wide on a high-density screen,
        // keeps its dashes: whether a pixel is on follows its distance from
        // the start along the major axis, as the steps of a thin line count.
        std::vector<bool> dashOn;
        for (std::size_t run = 0; run < pattern.size(); ++run)
            dashOn.insert(dashOn.end(), static_cast<std::size_t>(runLength(run)), run % 2 == 0);
        const double reach = dot / 2.0;
        const double offset = penOffset(dot);
        const int left = std::max(0, static_cast<int>(std::floor(std::min(ax, bx) - reach)));
        const int right =
            std::min(screen_.width() - 1, static_cast<int>(std::ceil(std::max(ax, bx) + reach)));
        const int top = std::max(0, static_cast<int>(std::floor(std::min(ay, by) - reach)));
        const int bottom =
            std::min(screen_.height() - 1, static_cast<int>(std::ceil(std::max(ay, by) + reach)));
        if (left > right || top > bottom)
            return;
        const double dx = bx - ax;
        const double dy = by - ay;
        const double lengthSquared = dx * dx + dy * dy;
        const double major = std::max(std::abs(dx), std::abs(dy));
        forEachImage(autoRedraw_, [&](PixelImage &image) {
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
                    row[x] = rasterop::combine(drawMode_, pen, row[x]);
                }
            }
        });
        changed(QRect(QPoint(left, top), QPoint(right, bottom)));
        return;
    }

    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    const int spanX = std::abs(endX - x);
    const int spanY = -std::abs(endY - y);
    int error = spanX + spanY;

    std::size_t run = 0;
    int leftInRun = pattern.empty() ? 0 : runLength(0);
    QRect dirty;
    for (;;) {
        const bool on = pattern.empty() || run % 2 == 0;
        if (on) {
            forEachImage(autoRedraw_, [&](PixelImage &image) {
                std::uint32_t *row = image.row(y);
                row[x] = rasterop::combine(drawMode_, pen, row[x]);
            });
            dirty |= QRect(x, y, 1, 1);
        }
        if (!pattern.empty() && --leftInRun == 0) {
            run = (run + 1) % pattern.size();
            leftInRun = runLength(run);
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
    changed(dirty);
}

std::optional<Failure> DrawingSurface::saveImage(const QString &path) const
{
    const auto dotsPerMeter = static_cast<int>(std::lround(dotsPerInch() / 0.0254));
    return bmpfile::write(path, imagePixels(), dotsPerMeter, dotsPerMeter);
}

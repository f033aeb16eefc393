// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawingsurface.h"

#include "bmpfile.h"
#include "linerasteriser.h"
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
    const linerasteriser::Pen wide{pen, drawMode_, dot, {}};
    QRect dirty;
    for (std::size_t i = 0; i < count; ++i) {
        const double px = std::floor(points[i].x / twipsPerDevicePixel_);
        const double py = std::floor(points[i].y / twipsPerDevicePixel_);
        if (!(px >= -margin && px < width + margin && py >= -margin && py < height + margin))
            continue;
        forEachImage(autoRedraw_, [&](PixelImage &image) {
            dirty |= linerasteriser::dot(image, static_cast<int>(px), static_cast<int>(py), wide);
        });
    }
    changed(dirty);
}

void DrawingSurface::line(float x1, float y1, float x2, float y2, colors::Color color)
{
    if (drawStyle_ == 5 && drawWidth_ == 1)
        return;
    const double ax = std::floor(x1 / twipsPerDevicePixel_);
    const double ay = std::floor(y1 / twipsPerDevicePixel_);
    const double bx = std::floor(x2 / twipsPerDevicePixel_);
    const double by = std::floor(y2 / twipsPerDevicePixel_);
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    settle();
    linerasteriser::Pen pen{colors::toPixel(color), drawMode_, penPixels(), {}};
    // Only a pen of width 1 draws the line styles, which keep their dashes
    // when a high-density screen draws that pen wider; dashes and gaps are as
    // long as on an ordinary screen.
    if (drawWidth_ == 1)
        for (const int run : stylePatterns[static_cast<std::size_t>(drawStyle_)])
            pen.dashes.push_back(std::max(1, static_cast<int>(std::lround(run * ratio_))));
    QRect dirty;
    forEachImage(autoRedraw_,
                 [&](PixelImage &image) { dirty |= linerasteriser::line(image, ax, ay, bx, by, pen); });
    changed(dirty);
}

std::optional<Failure> DrawingSurface::saveImage(const QString &path) const
{
    const auto dotsPerMeter = static_cast<int>(std::lround(dotsPerInch() / 0.0254));
    return bmpfile::write(path, imagePixels(), dotsPerMeter, dotsPerMeter);
}

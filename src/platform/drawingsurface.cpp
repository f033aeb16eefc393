#include "drawingsurface.h"

#include "rasterop.h"
#include "safesave.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>

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

// Clips the segment to the rectangle (Liang-Barsky); false when nothing of
// it lies inside.
bool clipSegment(double &x1, double &y1, double &x2, double &y2, double left, double top, double right,
                 double bottom)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double startX = x1 + t0 * dx;
    const double startY = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = startX;
    y1 = startY;
    return true;
}

} // namespace

DrawingSurface::DrawingSurface(QSize pixels, double twipsPerPixel) : twipsPerPixel_(twipsPerPixel)
{
    resize(pixels);
}

void DrawingSurface::setTwipsPerPixel(double twips)
{
    if (twips > 0 && std::isfinite(twips))
        twipsPerPixel_ = twips;
}

int DrawingSurface::toPixels(double twips) const
{
    const double pixels = std::floor(twips / twipsPerPixel_);
    return static_cast<int>(std::clamp(pixels, -1e9, 1e9));
}

void DrawingSurface::resize(QSize pixels)
{
    pixels = pixels.expandedTo(QSize(1, 1));
    size_ = pixels;
    if (screen_.width() >= pixels.width() && screen_.height() >= pixels.height())
        return;
    const QSize grown = pixels.expandedTo(screen_.size());
    for (QImage *image : {&screen_, &persistent_}) {
        QImage larger(grown, QImage::Format_RGB32);
        fill(larger);
        if (!image->isNull()) {
            QPainter painter(&larger);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, *image);
        }
        *image = larger;
    }
}

void DrawingSurface::fill(QImage &image) const
{
    image.fill(colors::toPixel(backColor_));
    if (!picture_.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture_);
    }
}

void DrawingSurface::paintBackground(bool persistentToo)
{
    fill(screen_);
    if (persistentToo)
        fill(persistent_);
    changed(screen_.rect());
}

void DrawingSurface::setBackColor(colors::Color color)
{
    backColor_ = color;
    paintBackground(true);
}

void DrawingSurface::setDrawWidth(int width) { drawWidth_ = std::max(1, width); }

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

void DrawingSurface::setPicture(const QImage &picture)
{
    picture_ = picture.convertToFormat(QImage::Format_RGB32);
    paintBackground(true);
}

void DrawingSurface::cls() { paintBackground(autoRedraw_); }

void DrawingSurface::changed(const QRect &rect)
{
    if (listener_ && !rect.isEmpty())
        listener_(rect);
}

// Sets the dot of the pen's width centred on pixel (cx, cy) in every image
// that receives drawing; each pixel of the dot is combined once.
void DrawingSurface::applyDot(int cx, int cy, std::uint32_t pen, QRect &dirty)
{
    const int width = screen_.width();
    const int height = screen_.height();
    const int radius = drawWidth_ / 2;
    const double reach = drawWidth_ / 2.0;
    const int left = std::max(0, cx - radius);
    const int right = std::min(width - 1, cx + radius);
    const int top = std::max(0, cy - radius);
    const int bottom = std::min(height - 1, cy + radius);
    if (left > right || top > bottom)
        return;
    for (QImage *image : {&screen_, &persistent_}) {
        if (image == &persistent_ && !autoRedraw_)
            break;
        for (int y = top; y <= bottom; ++y) {
            auto *row = reinterpret_cast<std::uint32_t *>(image->scanLine(y));
            for (int x = left; x <= right; ++x) {
                const double dx = x - cx;
                const double dy = y - cy;
                if (drawWidth_ == 1 || dx * dx + dy * dy <= reach * reach)
                    row[x] = rasterop::combine(drawMode_, pen, row[x]);
            }
        }
    }
    dirty |= QRect(QPoint(left, top), QPoint(right, bottom));
}

void DrawingSurface::pset(float x, float y, colors::Color color)
{
    const CurvePointF point{x, y};
    psetMany(&point, 1, color);
}

void DrawingSurface::psetMany(const CurvePointF *points, std::size_t count, colors::Color color)
{
    const std::uint32_t pen = colors::toPixel(color);
    const double scale = 1.0 / twipsPerPixel_;
    const double width = screen_.width();
    const double height = screen_.height();
    const double margin = drawWidth_;
    QRect dirty;

    if (drawWidth_ == 1) {
        // The common case, kept tight: one pixel per point.
        auto *screen = reinterpret_cast<std::uint32_t *>(screen_.bits());
        auto *persistent = autoRedraw_ ? reinterpret_cast<std::uint32_t *>(persistent_.bits()) : nullptr;
        const qsizetype stride = screen_.bytesPerLine() / 4;
        int minX = screen_.width();
        int minY = screen_.height();
        int maxX = -1;
        int maxY = -1;
        for (std::size_t i = 0; i < count; ++i) {
            const double px = std::floor(points[i].x * scale);
            const double py = std::floor(points[i].y * scale);
            if (!(px >= 0 && px < width && py >= 0 && py < height))
                continue;
            const int ix = static_cast<int>(px);
            const int iy = static_cast<int>(py);
            const qsizetype at = iy * stride + ix;
            screen[at] = rasterop::combine(drawMode_, pen, screen[at]);
            if (persistent)
                persistent[at] = rasterop::combine(drawMode_, pen, persistent[at]);
            minX = std::min(minX, ix);
            maxX = std::max(maxX, ix);
            minY = std::min(minY, iy);
            maxY = std::max(maxY, iy);
        }
        if (maxX >= 0)
            changed(QRect(QPoint(minX, minY), QPoint(maxX, maxY)));
        return;
    }

    for (std::size_t i = 0; i < count; ++i) {
        const double px = std::floor(points[i].x * scale);
        const double py = std::floor(points[i].y * scale);
        if (!(px >= -margin && px < width + margin && py >= -margin && py < height + margin))
            continue;
        applyDot(static_cast<int>(px), static_cast<int>(py), pen, dirty);
    }
    changed(dirty);
}

void DrawingSurface::line(float x1, float y1, float x2, float y2, colors::Color color)
{
    if (drawStyle_ == 5 && drawWidth_ == 1)
        return;
    double ax = std::floor(x1 / twipsPerPixel_);
    double ay = std::floor(y1 / twipsPerPixel_);
    double bx = std::floor(x2 / twipsPerPixel_);
    double by = std::floor(y2 / twipsPerPixel_);
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    const std::uint32_t pen = colors::toPixel(color);
    const double margin = drawWidth_;

    if (drawWidth_ > 1) {
        // Every pixel whose centre lies within half the pen width of the
        // segment, each combined once so that inverting twice restores.
        const double reach = drawWidth_ / 2.0;
        const int left = static_cast<int>(std::max(0.0, std::min(ax, bx) - margin));
        const int right = static_cast<int>(std::min(screen_.width() - 1.0, std::max(ax, bx) + margin));
        const int top = static_cast<int>(std::max(0.0, std::min(ay, by) - margin));
        const int bottom = static_cast<int>(std::min(screen_.height() - 1.0, std::max(ay, by) + margin));
        if (left > right || top > bottom)
            return;
        const double dx = bx - ax;
        const double dy = by - ay;
        const double lengthSquared = dx * dx + dy * dy;
        for (QImage *image : {&screen_, &persistent_}) {
            if (image == &persistent_ && !autoRedraw_)
                break;
            for (int y = top; y <= bottom; ++y) {
                auto *row = reinterpret_cast<std::uint32_t *>(image->scanLine(y));
                for (int x = left; x <= right; ++x) {
                    double t = lengthSquared > 0 ? ((x - ax) * dx + (y - ay) * dy) / lengthSquared : 0;
                    t = std::clamp(t, 0.0, 1.0);
                    const double ex = ax + t * dx - x;
                    const double ey = ay + t * dy - y;
                    if (ex * ex + ey * ey <= reach * reach)
                        row[x] = rasterop::combine(drawMode_, pen, row[x]);
                }
            }
        }
        changed(QRect(QPoint(left, top), QPoint(right, bottom)));
        return;
    }

    if (!clipSegment(ax, ay, bx, by, 0, 0, screen_.width() - 1, screen_.height() - 1))
        return;
    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    const int spanX = std::abs(endX - x);
    const int spanY = -std::abs(endY - y);
    int error = spanX + spanY;

    const std::vector<int> &pattern = stylePatterns[static_cast<std::size_t>(drawStyle_)];
    std::size_t run = 0;
    int leftInRun = pattern.empty() ? 0 : pattern[0];
    QRect dirty;
    for (;;) {
        const bool on = pattern.empty() || run % 2 == 0;
        if (on) {
            for (QImage *image : {&screen_, &persistent_}) {
                if (image == &persistent_ && !autoRedraw_)
                    break;
                auto *row = reinterpret_cast<std::uint32_t *>(image->scanLine(y));
                row[x] = rasterop::combine(drawMode_, pen, row[x]);
            }
            dirty |= QRect(x, y, 1, 1);
        }
        if (!pattern.empty() && --leftInRun == 0) {
            run = (run + 1) % pattern.size();
            leftInRun = pattern[run];
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

QImage DrawingSurface::image() const { return persistent_.copy(QRect(QPoint(0, 0), size_)); }

std::optional<Failure> DrawingSurface::saveImage(const QString &path, const char *format) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image().save(&buffer, format))
        return failures::make(failures::InvalidPicture);
    return safesave::writeFile(path, bytes);
}

std::optional<Failure> DrawingSurface::loadPicture(const QString &path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return failures::fromFile(file, path, errno);
    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    const QImage picture = reader.read();
    if (picture.isNull())
        return failures::make(failures::InvalidPicture);
    setPicture(picture);
    return std::nullopt;
}

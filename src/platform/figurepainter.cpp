// SPDX-License-Identifier: GPL-3.0-or-later
#include "figurepainter.h"

#include "colors.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace figurepainter {

namespace {

QColor colorOf(std::uint32_t rgb)
{
    return QColor::fromRgb(rgb | 0xff000000u);
}

// Where the canvas goes: x' = scale * x + dx, y' = scale * y + dy.
struct Placement {
    double scale = 1;
    double dx = 0;
    double dy = 0;
    QPointF operator()(double x, double y) const { return {scale * x + dx, scale * y + dy}; }
};

// A dot of a pen one pixel wide: a square of one pixel around the point,
// blended into the four pixels of a picture `width` by `height` that it
// overlaps, `blend` told each pixel and the share of it covered. Painting
// so many discs through the painter would take most of a large picture's
// time.
template <typename Blend> void splat(int width, int height, QPointF at, Blend blend)
{
    const double x = at.x() - 0.5;
    const double y = at.y() - 0.5;
    const double left = std::floor(x);
    const double top = std::floor(y);
    const double fx = x - left;
    const double fy = y - top;
    const double share[2][2] = {{(1 - fx) * (1 - fy), fx * (1 - fy)}, {(1 - fx) * fy, fx * fy}};
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const double px = left + dx;
            const double py = top + dy;
            if (px >= 0 && py >= 0 && px < width && py < height)
                blend(qsizetype(px), qsizetype(py), share[dy][dx]);
        }
}

// How the strokes are painted.
struct Style {
    // The background is filled first.
    bool background = true;
    // A dot is a point of the round pen, which a PDF page keeps as a stroke
    // of no length rather than as four curves; else a filled disc.
    bool dotsAsPoints = false;
    // Every stroke in white, for a coverage of the one pen colour.
    bool white = false;
    // Sets a dot of a pen one pixel wide, when given, at its place and in
    // its colour.
    std::function<void(QPointF, std::uint32_t)> smallDot;
};

// Paints the strokes of the canvas on `painter` where `placement` puts
// them, as `style` says.
void paintStrokes(QPainter &painter, const StrokedFigure &figure, const Placement &place, const Style &style)
{
    if (style.background)
        painter.fillRect(QRectF(place(0, 0), place(figure.width, figure.height)), colorOf(figure.background));
    const double width = figure.penWidth * place.scale;
    const double radius = width / 2;
    std::vector<QPointF> points;
    for (const StrokedFigure::Part &part : figure.parts) {
        const QColor color = style.white ? QColor(Qt::white) : colorOf(part.rgb);
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const std::vector<strokes::Point> &run : part.runs) {
            points.resize(run.size());
            std::transform(run.begin(), run.end(), points.begin(),
                           [&place](const strokes::Point &p) { return place(p.x, p.y); });
            painter.drawPolyline(points.data(), int(points.size()));
        }
        if (style.dotsAsPoints) {
            points.resize(part.dots.size());
            std::transform(part.dots.begin(), part.dots.end(), points.begin(),
                           [&place](const strokes::Point &p) { return place(p.x, p.y); });
            painter.drawPoints(points.data(), int(points.size()));
            continue;
        }
        if (style.smallDot && width <= 1) {
            for (const strokes::Point &dot : part.dots)
                style.smallDot(place(dot.x, dot.y), part.rgb);
            continue;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (const strokes::Point &dot : part.dots)
            painter.drawEllipse(place(dot.x, dot.y), radius, radius);
    }
}

Placement scaledTo(const StrokedFigure &figure, int width, int height)
{
    Placement place;
    if (figure.width > 0 && figure.height > 0)
        place.scale = std::min(width / figure.width, height / figure.height);
    return place;
}

bool paintInto(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride,
               bool overPixels)
{
    QImage image(reinterpret_cast<uchar *>(bits), width, height, stride * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    if (!painter.isActive())
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    Style style;
    style.background = !overPixels;
    style.smallDot = [&](QPointF at, std::uint32_t rgb) {
        splat(width, height, at, [&](qsizetype x, qsizetype y, double share) {
            std::uint32_t &pixel = bits[y * stride + x];
            pixel = colors::mixedPixel(pixel, 0xff000000u | rgb, share);
        });
    };
    paintStrokes(painter, figure, scaledTo(figure, width, height), style);
    return painter.end();
}

bool paintCoverage(const StrokedFigure &figure, std::uint8_t *bits, int width, int height, qsizetype stride)
{
    QImage coverage(bits, width, height, stride, QImage::Format_Grayscale8);
    QPainter painter(&coverage);
    if (!painter.isActive())
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    Style style;
    style.background = false;
    style.white = true;
    style.smallDot = [&](QPointF at, std::uint32_t) {
        splat(width, height, at, [&](qsizetype x, qsizetype y, double share) {
            std::uint8_t &pixel = bits[y * stride + x];
            pixel = std::uint8_t(colors::mixedPixel(pixel, 0xff, share) & 0xffu);
        });
    };
    paintStrokes(painter, figure, scaledTo(figure, width, height), style);
    return painter.end();
}

bool paintPixels(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride)
{
    return paintInto(figure, bits, width, height, stride, false);
}

bool paintOver(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride)
{
    return paintInto(figure, bits, width, height, stride, true);
}

bool writePdf(const StrokedFigure &figure, const Page &page, const Metadata &metadata, QIODevice &device)
{
    QPdfWriter writer(&device);
    writer.setTitle(metadata.title);
    writer.setCreator(metadata.creator);
    if (!metadata.xmp.isEmpty())
        writer.setDocumentXmpMetadata(metadata.xmp);
    const QSizeF upright(std::min(page.width, page.height), std::max(page.width, page.height));
    const QPageSize size(upright, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageLayout layout(size, page.width > page.height ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(page.margin, page.margin, page.margin, page.margin),
                             QPageLayout::Millimeter);
    if (!writer.setPageLayout(layout))
        return false;
    QPainter painter(&writer);
    if (!painter.isActive())
        return false;
    const QRectF area(QPointF(0, 0), QSizeF(writer.pageLayout().paintRectPixels(writer.resolution()).size()));
    Placement place;
    if (figure.width > 0 && figure.height > 0) {
        place.scale = std::min(area.width() / figure.width, area.height() / figure.height);
        place.dx = (area.width() - place.scale * figure.width) / 2;
        place.dy = (area.height() - place.scale * figure.height) / 2;
    }
    Style style;
    style.dotsAsPoints = true;
    paintStrokes(painter, figure, place, style);
    return painter.end();
}

} // namespace

const Functions &functions()
{
    static const Functions table{paintPixels, paintOver, paintCoverage, writePdf};
    return table;
}

} // namespace figurepainter

// SPDX-License-Identifier: GPL-3.0-or-later
#include "figurepainter.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

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

// Rows of 0xffRRGGBB pixels to paint dots of a pen one pixel wide into.
struct Rows {
    std::uint32_t *bits;
    int width;
    int height;
    qsizetype stride;
};

// A dot of a pen one pixel wide: a square of one pixel around the point,
// blended into the four pixels it overlaps by the share of each it covers.
// Painting so many discs through the painter would take most of a large
// picture's time.
void splat(const Rows &rows, QPointF at, std::uint32_t rgb)
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
            if (px < 0 || py < 0 || px >= rows.width || py >= rows.height)
                continue;
            std::uint32_t &pixel = rows.bits[qsizetype(py) * rows.stride + qsizetype(px)];
            const double a = share[dy][dx];
            std::uint32_t blended = 0xff000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const double from = (pixel >> shift) & 0xffu;
                const double to = (rgb >> shift) & 0xffu;
                blended |= std::uint32_t(std::lround(from + (to - from) * a)) << shift;
            }
            pixel = blended;
        }
}

// Paints the strokes of the canvas on `painter` where `placement` puts
// them, over the background unless `overPixels`. A dot is a disc of the pen's diameter: filled, or with
// `dotsAsPoints` a point of the round pen, which a PDF page keeps as a stroke of no length rather than as
// four curves. Dots of a pen one pixel wide go straight into `rows` when given.
void paintStrokes(QPainter &painter, const StrokedFigure &figure, const Placement &place, bool dotsAsPoints,
                  const Rows *rows = nullptr, bool overPixels = false)
{
    if (!overPixels)
        painter.fillRect(QRectF(place(0, 0), place(figure.width, figure.height)), colorOf(figure.background));
    const double width = figure.penWidth * place.scale;
    const double radius = width / 2;
    std::vector<QPointF> points;
    for (const StrokedFigure::Part &part : figure.parts) {
        const QColor color = colorOf(part.rgb);
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const std::vector<strokes::Point> &run : part.runs) {
            points.resize(run.size());
            std::transform(run.begin(), run.end(), points.begin(),
                           [&place](const strokes::Point &p) { return place(p.x, p.y); });
            painter.drawPolyline(points.data(), int(points.size()));
        }
        if (dotsAsPoints) {
            points.resize(part.dots.size());
            std::transform(part.dots.begin(), part.dots.end(), points.begin(),
                           [&place](const strokes::Point &p) { return place(p.x, p.y); });
            painter.drawPoints(points.data(), int(points.size()));
            continue;
        }
        if (rows && width <= 1) {
            for (const strokes::Point &dot : part.dots)
                splat(*rows, place(dot.x, dot.y), part.rgb);
            continue;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (const strokes::Point &dot : part.dots)
            painter.drawEllipse(place(dot.x, dot.y), radius, radius);
    }
}

bool paintInto(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride,
               bool overPixels)
{
    QImage image(reinterpret_cast<uchar *>(bits), width, height, stride * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    if (!painter.isActive())
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    Placement place;
    if (figure.width > 0 && figure.height > 0)
        place.scale = std::min(width / figure.width, height / figure.height);
    const Rows rows{bits, width, height, stride};
    paintStrokes(painter, figure, place, false, &rows, overPixels);
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
    paintStrokes(painter, figure, place, true);
    return painter.end();
}

} // namespace

const Functions &functions()
{
    static const Functions table{paintPixels, paintOver, writePdf};
    return table;
}

} // namespace figurepainter

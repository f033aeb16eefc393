// SPDX-License-Identifier: GPL-3.0-or-later
#include "figurepainter.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace figurepainter {

namespace {

QColor colorOf(std::uint32_t rgb)
{
    return QColor::fromRgb(rgb | 0xff000000u);
}

// Paints the strokes in canvas pixels on `painter`, whose transformation
// places the canvas. A dot is a disc of the pen's diameter.
void paintStrokes(QPainter &painter, const StrokedFigure &figure)
{
    painter.fillRect(QRectF(0, 0, figure.width, figure.height), colorOf(figure.background));
    const double radius = figure.penWidth / 2;
    std::vector<QPointF> points;
    for (const StrokedFigure::Part &part : figure.parts) {
        const QColor color = colorOf(part.rgb);
        painter.setPen(QPen(color, figure.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const std::vector<strokes::Point> &run : part.runs) {
            points.resize(run.size());
            std::transform(run.begin(), run.end(), points.begin(),
                           [](const strokes::Point &p) { return QPointF(p.x, p.y); });
            painter.drawPolyline(points.data(), int(points.size()));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (const strokes::Point &dot : part.dots)
            painter.drawEllipse(QPointF(dot.x, dot.y), radius, radius);
    }
}

bool paintPixels(const StrokedFigure &figure, std::uint32_t *bits, int width, int height, qsizetype stride)
{
    QImage image(reinterpret_cast<uchar *>(bits), width, height, stride * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    if (!painter.isActive())
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    if (figure.width > 0 && figure.height > 0)
        painter.scale(width / figure.width, height / figure.height);
    paintStrokes(painter, figure);
    return painter.end();
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
    if (figure.width > 0 && figure.height > 0) {
        const double scale = std::min(area.width() / figure.width, area.height() / figure.height);
        painter.translate(area.center() - QPointF(scale * figure.width / 2, scale * figure.height / 2));
        painter.scale(scale, scale);
    }
    paintStrokes(painter, figure);
    return painter.end();
}

} // namespace

const Functions &functions()
{
    static const Functions table{paintPixels, writePdf};
    return table;
}

} // namespace figurepainter

#include "svgwriter.h"

#include "drawingrun.h"
#include "safesave.h"

#include <QIODevice>

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace svgwriter {

namespace {

constexpr std::size_t batchSize = 16384;

// Pieces of the text go to `sink`, which returns false once writing failed.
using Sink = std::function<bool(const QByteArray &)>;

QByteArray colorText(colors::Color color)
{
    const std::uint32_t pixel = colors::toPixel(color) & 0xffffffu;
    return "#" + QByteArray::number(pixel, 16).rightJustified(6, '0');
}

void appendFixed(QByteArray &text, double value)
{
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    text.append(buffer, result.ptr - buffer);
}

bool writeSvg(const Recipe &recipe, QSize canvas, double twipsPerPixel, const Sink &sink)
{
    const QByteArray width = QByteArray::number(canvas.width());
    const QByteArray height = QByteArray::number(canvas.height());
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height +
                      "\">\n<rect width=\"" + width + "\" height=\"" + height + "\" fill=\"" +
                      colorText(recipe.backColor) + "\"/>\n<path fill=\"none\" stroke=\"" +
                      colorText(recipe.penColor) + "\" stroke-width=\"" +
                      QByteArray::number(recipe.prefs.penSize) +
                      "\" stroke-linecap=\"round\" stroke-linejoin=\"round\" d=\"";

    // The counter runs as in the drawing run; a step of 0 would repeat the
    // first point for ever, and is drawn as that point alone.
    const std::int64_t end = DrawingRun::counterEnd(recipe.prefs.turns);
    const std::int64_t step = DrawingRun::counterStep(recipe.prefs.stepSize);
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    const auto inRange = [&](std::int64_t n) {
        return n >= lowest && n <= highest && (step >= 0 ? n <= end : n >= end);
    };
    const double perPixel = 1.0 / twipsPerPixel;
    std::vector<CurvePointF> batch(batchSize);
    bool newSubpath = true;
    bool any = false;
    std::int64_t n = 0;
    while (inRange(n)) {
        std::size_t count = 0;
        std::int64_t next = n;
        while (count < batchSize && inRange(next)) {
            ++count;
            next += step;
            if (step == 0)
                break;
        }
        curve::curvePoints(recipe.parameters, static_cast<std::int32_t>(n), static_cast<std::int32_t>(step),
                           count, recipe.prefs.placement.drawLeftOffset, recipe.prefs.placement.drawTopOffset,
                           batch.data());
        for (std::size_t i = 0; i < count; ++i) {
            const double x = batch[i].x * perPixel;
            const double y = batch[i].y * perPixel;
            // A point that is not finite breaks the path; the next one starts
            // a new piece of it.
            if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e12 || std::fabs(y) > 1e12) {
                newSubpath = true;
                continue;
            }
            if (newSubpath)
                text += any ? " M" : "M";
            else
                text += ' ';
            appendFixed(text, x);
            text += ',';
            appendFixed(text, y);
            newSubpath = false;
            any = true;
        }
        if (text.size() > (qsizetype(1) << 20)) {
            if (!sink(text))
                return false;
            text.clear();
        }
        if (step == 0)
            break;
        n = next;
    }
    text += "\"/>\n</svg>\n";
    return sink(text);
}

} // namespace

std::optional<Failure> write(const QString &path, const Recipe &recipe, QSize canvas, double twipsPerPixel)
{
    return safesave::writeFileWith(path, [&](QIODevice &device) {
        return writeSvg(recipe, canvas, twipsPerPixel,
                        [&device](const QByteArray &piece) { return device.write(piece) == piece.size(); });
    });
}

QByteArray text(const Recipe &recipe, QSize canvas, double twipsPerPixel)
{
    QByteArray whole;
    writeSvg(recipe, canvas, twipsPerPixel, [&whole](const QByteArray &piece) {
        whole += piece;
        return true;
    });
    return whole;
}

} // namespace svgwriter

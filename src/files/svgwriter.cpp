// SPDX-License-Identifier: GPL-3.0-or-later
#include "svgwriter.h"

#include "drawingrun.h"
#include "pixelset.h"
#include "safesave.h"
#include "strokes.h"

#include <QIODevice>

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace svgwriter {

namespace {

// Pieces of the text go to `sink`, which returns false once writing failed.
using Sink = std::function<bool(const QByteArray &)>;

QByteArray colorText(colors::Color color)
{
    const std::uint32_t pixel = colors::toPixel(color) & 0xffffffu;
    return "#" + QByteArray::number(pixel, 16).rightJustified(6, '0');
}

// A number with at most two decimals and no trailing zeros.
void appendNumber(QByteArray &text, double value)
{
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    const char *end = result.ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    // A value that rounds to zero from below is written as 0, not -0.
    const bool negativeZero = end - buffer == 2 && buffer[0] == '-' && buffer[1] == '0';
    text.append(negativeZero ? buffer + 1 : buffer, end - (negativeZero ? buffer + 1 : buffer));
}

QByteArray escaped(const QByteArray &text)
{
    return QString::fromUtf8(text).toHtmlEscaped().toUtf8();
}

// Hands the figure's points, in pixels, to `builder`; `goOn` is asked after
// every batch.
void trace(const Recipe &recipe, double twipsPerPixel, const framing::Frame &frame, strokes::Builder &builder,
           const std::function<bool()> &goOn)
{
    const double perPixel = 1.0 / twipsPerPixel;
    recipe::eachPoint(recipe, [&](const CurvePointF *points, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = (frame.scale * points[i].x + frame.dx) * perPixel;
            const double y = (frame.scale * points[i].y + frame.dy) * perPixel;
            // Points far off the canvas break the figure like those that are
            // not finite.
            if (std::fabs(x) > 1e12 || std::fabs(y) > 1e12)
                builder.add(NAN, NAN);
            else
                builder.add(x, y);
        }
        return goOn();
    });
}

const QByteArray runHead = "<path d=\"";
// The dots stand on their pixels' centres.
const QByteArray dotsHead = "<path transform=\"translate(.5 .5)\" d=\"";
const QByteArray pathTail = "\"/>\n";
constexpr std::size_t dotsPerPath = 1000;

// A run as a path: a line through its points.
void appendRun(QByteArray &text, const std::vector<strokes::Point> &run)
{
    text += runHead;
    for (std::size_t i = 0; i < run.size(); ++i) {
        text += i == 0 ? 'M' : ' ';
        appendNumber(text, run[i].x);
        text += ' ';
        appendNumber(text, run[i].y);
    }
    text += pathTail;
}

// The dots as paths: each dot a subpath of no length at its pixel, which the
// round cap paints as a dot, every one after the first of a path a move from
// the one before. Renderers stroke many small paths far faster than one
// large one.
void appendDots(QByteArray &text, const std::vector<strokes::Pixel> &dots)
{
    strokes::Pixel from{0, 0};
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const strokes::Pixel &dot = dots[i];
        const bool first = i % dotsPerPath == 0;
        if (first)
            text += i == 0 ? dotsHead : pathTail + dotsHead;
        text += first ? 'M' : 'm';
        const std::int64_t dy = first ? dot.y : std::int64_t(dot.y) - from.y;
        text += QByteArray::number(first ? dot.x : std::int64_t(dot.x) - from.x);
        if (dy >= 0)
            text += ' ';
        text += QByteArray::number(dy);
        text += "h0";
        from = dot;
    }
    if (!dots.empty())
        text += pathTail;
}

QByteArray svgHead(const recipetext::FigureRecipe &figure)
{
    const Recipe &recipe = figure.recipe;
    const QByteArray width = QByteArray::number(figure.canvas.width());
    const QByteArray height = QByteArray::number(figure.canvas.height());
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n<metadata>" +
           escaped(recipetext::chunkText(figure).replace("\r\n", "\n")) + "</metadata>\n<rect width=\"" +
           width + "\" height=\"" + height + "\" fill=\"" + colorText(recipe.backColor) +
           "\"/>\n<g fill=\"none\" stroke=\"" + colorText(recipe.penColor) + "\" stroke-width=\"" +
           QByteArray::number(recipe.prefs.penSize) +
           "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
}

const QByteArray svgTail = "</g>\n</svg>\n";

// Writes the drawing in pieces to `sink`, or only counts its bytes when
// `sink` is empty; counting stops once the bytes pass `bound`.
std::uint64_t writeSvg(const recipetext::FigureRecipe &figure, const framing::Frame &frame, const Sink &sink,
                       std::uint64_t bound = std::numeric_limits<std::uint64_t>::max())
{
    QByteArray text = svgHead(figure);
    std::uint64_t bytes = 0;
    bool written = true;
    const auto hand = [&](bool whenLarge) {
        if (whenLarge && text.size() < (qsizetype(1) << 20))
            return;
        bytes += std::uint64_t(text.size());
        if (sink && written)
            written = sink(text);
        text.clear();
    };
    strokes::PixelSet dots(figure.canvas.width(), figure.canvas.height());
    strokes::Builder builder(
        strokes::joinDistance(figure.recipe.prefs.penSize),
        [&](const std::vector<strokes::Point> &run) {
            appendRun(text, run);
            hand(true);
        },
        [&dots](strokes::Point dot) { dots.insert(strokes::pixelOf(dot)); });
    // Every dot takes at least this many bytes.
    constexpr std::uint64_t smallestDot = 5;
    trace(figure.recipe, figure.twipsPerPixel, frame, builder,
          [&] { return bytes + std::uint64_t(text.size()) + smallestDot * dots.fewest() <= bound; });
    builder.finish();
    appendDots(text, dots.sorted());
    text += svgTail;
    hand(false);
    return written ? bytes : 0;
}

} // namespace

std::optional<QString> refusal(const recipetext::FigureRecipe &figure, std::uint64_t bound,
                               const framing::Frame &frame)
{
    const std::uint64_t bytes = writeSvg(figure, frame, {}, bound);
    if (bytes <= bound)
        return std::nullopt;
    return QStringLiteral(
               "the SVG drawing would take %1 MB, more than %2 MB; write a .png, .bmp or .jpg picture "
               "instead")
        .arg((bytes + (1 << 20) - 1) >> 20)
        .arg((bound + (1 << 20) - 1) >> 20);
}

std::optional<Failure> write(const QString &path, const recipetext::FigureRecipe &figure,
                             const framing::Frame &frame)
{
    return safesave::writeFileWith(path, [&](QIODevice &device) {
        return writeSvg(figure, frame, [&device](const QByteArray &piece) {
                   return device.write(piece) == piece.size();
               }) != 0;
    });
}

QByteArray text(const recipetext::FigureRecipe &figure, const framing::Frame &frame)
{
    QByteArray whole;
    writeSvg(figure, frame, [&whole](const QByteArray &piece) {
        whole += piece;
        return true;
    });
    return whole;
}

} // namespace svgwriter

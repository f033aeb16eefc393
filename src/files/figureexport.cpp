// SPDX-License-Identifier: GPL-3.0-or-later
#include "figureexport.h"

#include "bmpfile.h"
#include "headlessdrawing.h"
#include "jpegfile.h"
#include "paintloader.h"
#include "pdfrecipe.h"
#include "pngrecipe.h"
#include "rasterop.h"
#include "safesave.h"
#include "svgwriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace figureexport {

namespace {

constexpr int jpegQuality = 92;

// Writes a raster picture of `pixels`, stating `dotsPerInch`.
std::optional<Failure> writeRaster(fileformat::Format format, const QString &path,
                                   const recipetext::FigureRecipe &kept, const PixelRows &pixels,
                                   double dotsPerInch)
{
    using fileformat::Format;
    if (format == Format::Png)
        return pngrecipe::write(path, pixels, recipetext::chunkText(kept));
    if (format == Format::Jpeg)
        return jpegfile::write(path, pixels, jpegQuality, static_cast<int>(std::lround(dotsPerInch)));
    const auto dotsPerMeter = static_cast<int>(std::lround(dotsPerInch / 0.0254));
    return bmpfile::write(path, pixels, dotsPerMeter, dotsPerMeter);
}

// The canvas of a picture in its own unit: pixels, or the printable area of
// a framed PDF drawing's page in points.
QSizeF pictureCanvas(const headless::Job &job, fileformat::Format format, const picturelook::Look &look)
{
    if (format == fileformat::Format::Pdf && look.fit)
        if (const auto page = picturelook::pageFor(look, job.size.width(), job.size.height())) {
            const picturelook::Area area = picturelook::pointsOf(*page);
            return {area.width, area.height};
        }
    return QSizeF(job.size);
}

// The PDF drawing's metadata: its title, creator and the recipe, in the
// same text as a PNG's recipe chunk.
figurepainter::Metadata pdfMetadata(const recipetext::FigureRecipe &kept)
{
    return {QStringLiteral("Volutra figure"), QStringLiteral("Volutra"),
            pdfrecipe::xmpMetadata(QString::fromUtf8(recipetext::chunkText(kept)))};
}

bool oneColor(const StrokedFigure &strokes)
{
    return std::all_of(
        strokes.parts.begin(), strokes.parts.end(),
        [&strokes](const StrokedFigure::Part &part) { return part.rgb == strokes.parts.front().rgb; });
}

// How much of each pixel of a picture of `size` the strokes cover, a byte a
// pixel; null when there is no memory for it or the painter fails.
struct Coverage {
    std::shared_ptr<std::uint8_t[]> bytes;
    qsizetype stride = 0;
};

Coverage coverageOf(const figurepainter::Functions &painter, const StrokedFigure &strokes, QSize size)
{
    Coverage coverage;
    // Qt's painter wants rows of whole 32-bit words.
    coverage.stride = (qsizetype(size.width()) + 3) & ~qsizetype(3);
    const std::size_t bytes = std::size_t(coverage.stride) * std::size_t(size.height());
    coverage.bytes = allocatePictureBytes(bytes);
    if (!coverage.bytes)
        return coverage;
    std::memset(coverage.bytes.get(), 0, bytes);
    if (!painter.coverage(strokes, coverage.bytes.get(), size.width(), size.height(), coverage.stride))
        coverage.bytes.reset();
    return coverage;
}

// The shades of a figure of one colour, from its background to its pen.
std::array<std::uint32_t, 256> shadesOf(const StrokedFigure &strokes)
{
    const std::uint32_t background = 0xff000000u | strokes.background;
    return colors::shades(background,
                          strokes.parts.empty() ? background : 0xff000000u | strokes.parts.front().rgb);
}

} // namespace

PixelImage paintedPixels(const figurepainter::Functions &painter, const StrokedFigure &strokes, QSize size)
{
    PixelImage image(size);
    if (image.isNull())
        return {};
    if (!oneColor(strokes)) {
        if (!painter.pixels(strokes, image.bits(), image.width(), image.height(), image.stride()))
            return {};
        return image;
    }
    const Coverage coverage = coverageOf(painter, strokes, size);
    if (!coverage.bytes)
        return {};
    const std::array<std::uint32_t, 256> shades = shadesOf(strokes);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t *covered = coverage.bytes.get() + y * coverage.stride;
        std::uint32_t *row = image.row(y);
        for (int x = 0; x < image.width(); ++x)
            row[x] = shades[covered[x]];
    }
    return image;
}

bool needsPixels(fileformat::Format format)
{
    return fileformat::isRaster(format);
}

std::optional<Failure> write(fileformat::Format format, const QString &path,
                             const recipetext::FigureRecipe &kept, const DrawingSurface *surface,
                             const framing::Frame &frame)
{
    using fileformat::Format;
    switch (format) {
    case Format::Parameters: return safesave::writeFile(path, recipetext::parameterFile(kept));
    case Format::Svg: return svgwriter::write(path, kept, frame);
    case Format::Pdf: return Failure{0, QStringLiteral("a PDF drawing is painted, not written from pixels")};
    case Format::Bmp:
    case Format::Png:
    case Format::Jpeg: break;
    case Format::Gif:
    case Format::WebP:
    case Format::Mp4: return Failure{0, fileformat::animationRefusal(path)};
    }
    return writeRaster(format, path, kept, surface->imagePixels(), surface->dotsPerInch());
}

std::optional<QString> refusal(fileformat::Format format, const recipetext::FigureRecipe &kept,
                               const framing::Frame &frame)
{
    if (format == fileformat::Format::Svg)
        return svgwriter::refusal(kept, svgwriter::maximumBytes, frame);
    return std::nullopt;
}

framing::Frame frameFor(const headless::Job &job, fileformat::Format format, const picturelook::Look &look)
{
    if (!look.fit)
        return {};
    headless::Job points = headless::pointsOnly(job);
    points.onCheckpoint = {};
    DrawingSurface surface(points.size, job.twipsPerPixel);
    const auto box = framing::bounds(headless::draw(surface, points));
    if (!box)
        return {};
    const QSizeF canvas = pictureCanvas(job, format, look);
    const double twips = job.twipsPerPixel;
    return framing::fitted(*box, canvas.width() * twips, canvas.height() * twips,
                           look.fit->of(canvas.width(), canvas.height()) * twips);
}

Painted paint(const headless::Job &job, fileformat::Format format, const picturelook::Look &look,
              const framing::Frame &frame, std::size_t pdfPoints)
{
    headless::Job strokesOnly = headless::pointsOnly(job);
    DrawingSurface surface(strokesOnly.size, job.twipsPerPixel);
    const QSizeF canvas = pictureCanvas(job, format, look);
    StrokeRecorder recorder(surface, job.twipsPerPixel, int(std::ceil(canvas.width())),
                            int(std::ceil(canvas.height())));
    if (format == fileformat::Format::Pdf)
        recorder.setLimit(pdfPoints);
    FramedCanvas framed(recorder, frame);
    Painted painted;
    strokesOnly.through = &framed;
    painted.kept = headless::draw(surface, strokesOnly);
    painted.strokes = recorder.finish(canvas.width(), canvas.height());
    painted.strokes.background = colors::toPixel(painted.kept.backColor) & 0xffffffu;
    painted.overflowed = recorder.overflowed();
    return painted;
}

std::optional<QString> refusal(const Painted &painted)
{
    if (!painted.overflowed)
        return std::nullopt;
    return QStringLiteral(
               "the PDF drawing would hold more than %1 million points of strokes and dots; write a "
               ".png, .bmp or .jpg picture instead")
        .arg(maximumPdfPoints >> 20);
}

std::optional<Failure> writePainted(fileformat::Format format, const QString &path,
                                    const recipetext::FigureRecipe &kept, const Painted &painted,
                                    const picturelook::Look &look)
{
    QString why;
    const figurepainter::Functions *painter = paintloader::painter(why);
    if (!painter)
        return Failure{0, why};
    if (format == fileformat::Format::Pdf) {
        const auto page = picturelook::pageFor(look, kept.canvas.width(), kept.canvas.height());
        if (!page)
            return Failure{0, *picturelook::refusal(format, look, rasterop::CopyPen)};
        return safesave::writeFileWith(path, [&](QIODevice &device) {
            return painter->pdf(painted.strokes, *page, pdfMetadata(kept), device);
        });
    }
    const Failure noMemory{ENOMEM, QStringLiteral("not enough memory for a smooth picture of %1x%2 pixels")
                                       .arg(kept.canvas.width())
                                       .arg(kept.canvas.height())};
    // A PNG of one pen colour is written from its coverage, the shades its
    // palette: a byte a pixel to pack, and no picture of colours at all.
    if (format == fileformat::Format::Png && oneColor(painted.strokes)) {
        const Coverage coverage = coverageOf(*painter, painted.strokes, kept.canvas);
        if (!coverage.bytes)
            return noMemory;
        const std::array<std::uint32_t, 256> shades = shadesOf(painted.strokes);
        return pngrecipe::writeIndexed(
            path, {coverage.bytes.get(), coverage.stride, kept.canvas.width(), kept.canvas.height()},
            std::vector<std::uint32_t>(shades.begin(), shades.end()), recipetext::chunkText(kept));
    }
    const PixelImage image = paintedPixels(*painter, painted.strokes, kept.canvas);
    if (image.isNull())
        return noMemory;
    return writeRaster(format, path, kept, image.rows(), 1440 / kept.twipsPerPixel);
}

std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure,
                                    const picturelook::Look &look, const animation::Progress &progress)
{
    const fileformat::Format format = *fileformat::byExtension(path);
    if (format != fileformat::Format::Parameters) {
        if (const auto never = headless::refusal(figure.recipe))
            return Failure{0, *never};
        if (const auto refused = picturelook::refusal(format, look, figure.recipe.prefs.drawMode))
            return Failure{0, *refused};
    }
    if (fileformat::isAnimation(format)) {
        animation::Options options;
        options.fit = look.fit;
        options.smooth = look.smooth;
        if (const auto refused = animation::refusal(options, format, figure.canvas))
            return Failure{0, *refused};
        return animation::write(format, path, headless::jobFor(figure), options, progress).failure;
    }
    headless::Job job = headless::jobFor(figure);
    const framing::Frame frame =
        fileformat::isPicture(format) ? frameFor(job, format, look) : framing::Frame{};
    if (picturelook::painted(format, look)) {
        const Painted painted = paint(job, format, look, frame);
        if (const auto tooLarge = refusal(painted))
            return Failure{0, *tooLarge};
        return writePainted(format, path, {painted.kept, figure.canvas, figure.twipsPerPixel, true}, painted,
                            look);
    }
    if (!needsPixels(format)) {
        if (const auto tooLarge = refusal(format, figure, frame))
            return Failure{0, *tooLarge};
        return write(format, path, figure, nullptr, frame);
    }
    DrawingSurface surface(figure.canvas, figure.twipsPerPixel);
    FramedCanvas framed(surface, frame);
    if (look.fit)
        job.through = &framed;
    const Recipe kept = headless::draw(surface, job);
    return write(format, path, {kept, figure.canvas, figure.twipsPerPixel, true}, &surface);
}

} // namespace figureexport

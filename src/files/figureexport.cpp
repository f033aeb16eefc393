#include "figureexport.h"

#include "headlessdrawing.h"
#include "jpegfile.h"
#include "pngrecipe.h"
#include "safesave.h"
#include "svgwriter.h"

#include <cmath>

namespace figureexport {

namespace {

constexpr int jpegQuality = 92;

} // namespace

bool needsPixels(fileformat::Format format)
{
    using fileformat::Format;
    return format == Format::Bmp || format == Format::Png || format == Format::Jpeg;
}

std::optional<Failure> write(fileformat::Format format, const QString &path,
                             const recipetext::FigureRecipe &kept, const DrawingSurface *surface)
{
    using fileformat::Format;
    switch (format) {
    case Format::Parameters: return safesave::writeFile(path, recipetext::parameterFile(kept));
    case Format::Svg: return svgwriter::write(path, kept);
    case Format::Bmp: return surface->saveImage(path);
    case Format::Png: return pngrecipe::write(path, surface->imagePixels(), recipetext::chunkText(kept));
    case Format::Jpeg: break;
    case Format::Pdf:
        return Failure{failures::BadFileName,
                       QStringLiteral("PDF pictures are read for their recipe, not written")};
    case Format::Gif:
    case Format::WebP:
    case Format::Mp4: return Failure{0, fileformat::animationRefusal(path)};
    }
    return jpegfile::write(path, surface->imagePixels(), jpegQuality,
                           static_cast<int>(std::lround(surface->dotsPerInch())));
}

std::optional<QString> refusal(fileformat::Format format, const recipetext::FigureRecipe &kept)
{
    if (format == fileformat::Format::Svg)
        return svgwriter::refusal(kept);
    return std::nullopt;
}

std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure,
                                    const animation::Progress &progress)
{
    const fileformat::Format format = *fileformat::byExtension(path);
    if (fileformat::isAnimation(format)) {
        if (const auto never = headless::refusal(figure.recipe))
            return Failure{0, *never};
        const animation::Options options;
        if (const auto refused = animation::refusal(options, format, figure.canvas))
            return Failure{0, *refused};
        return animation::write(format, path, headless::jobFor(figure), options, progress).failure;
    }
    if (fileformat::isPicture(format))
        if (const auto never = headless::refusal(figure.recipe))
            return Failure{0, *never};
    if (!needsPixels(format)) {
        if (const auto tooLarge = refusal(format, figure))
            return Failure{0, *tooLarge};
        return write(format, path, figure, nullptr);
    }
    DrawingSurface surface(figure.canvas, figure.twipsPerPixel);
    const Recipe kept = headless::draw(surface, headless::jobFor(figure));
    return write(format, path, {kept, figure.canvas, figure.twipsPerPixel, true}, &surface);
}

} // namespace figureexport

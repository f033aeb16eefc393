#include "headlessdrawing.h"

#include "drawingrun.h"
#include "jpegfile.h"
#include "numbers.h"
#include "pngrecipe.h"
#include "randomsource.h"
#include "safesave.h"
#include "svgwriter.h"

#include <cmath>

HeadlessHost::HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts, double outerWidth,
                           double outerHeight)
    : surface_(surface), state_(state), texts_(std::move(texts)), outerWidth_(outerWidth),
      outerHeight_(outerHeight)
{
}

HeadlessHost::HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts)
    : HeadlessHost(surface, state, std::move(texts), surface.toTwips(surface.size().width()),
                   surface.toTwips(surface.size().height()))
{
}

void HeadlessHost::clean()
{
    surface_.setBackColor(state_.backgroundColor);
    surface_.cls();
}

namespace headless {

namespace {

constexpr int jpegQuality = 92;

bool isParameterFile(const QString &path)
{
    return path.endsWith(".par", Qt::CaseInsensitive);
}

} // namespace

OuterSize outerSize(const Recipe &recipe, QSize recordedCanvas, QSize canvas, double twipsPerPixel)
{
    if (!(recipe.outerWidth > 0 && recipe.outerHeight > 0) || recordedCanvas.isEmpty())
        return {canvas.width() * twipsPerPixel, canvas.height() * twipsPerPixel};
    if (canvas == recordedCanvas)
        return {recipe.outerWidth, recipe.outerHeight};
    return {recipe.outerWidth * canvas.width() / recordedCanvas.width(),
            recipe.outerHeight * canvas.height() / recordedCanvas.height()};
}

std::optional<QString> refusal(const Recipe &recipe)
{
    if (DrawingRun::counterStep(recipe.stepSize) == 0 && DrawingRun::counterEnd(recipe.turns) >= 0)
        return QStringLiteral("the step size %1 rounds to 0, so the drawing would never end")
            .arg(QString::fromStdString(numbers::numberText(recipe.stepSize, numbers::Precision::Double)));
    return std::nullopt;
}

Recipe draw(DrawingSurface &surface, const Job &job)
{
    const Recipe &r = job.recipe;
    // Nothing shows the surface, so the drawing needs one image only.
    surface.setOneImage(true);
    surface.setTwipsPerPixel(job.twipsPerPixel);
    surface.resize(job.size);
    surface.setAutoRedraw(true);
    surface.setDrawWidth(r.penSize);
    surface.setDrawMode(r.drawMode);
    FormState state;
    state.foregroundColor = r.penColor;
    state.backgroundColor = r.backColor;
    state.stepSize = r.stepSize;
    state.turns = r.turns;
    state.drawLeftOffset = r.placement.drawLeftOffset;
    state.drawTopOffset = r.placement.drawTopOffset;
    state.drawPartX = r.placement.drawPartX;
    state.drawPartY = r.placement.drawPartY;
    state.randomColors = job.randomColors;
    RandomSource random(job.seed);
    if (r.randomPen && job.randomColors == 0) {
        // The pen's colours come again from where the drawing found the
        // generator: a new one at every checkpoint, nothing else random.
        state.randomColors = 1;
        random.seed(r.randomPen->seed);
        random.skip(r.randomPen->drawsBefore);
    }
    surface.setBackColor(r.backColor);
    const double outerWidth = r.outerWidth > 0 ? r.outerWidth : surface.toTwips(job.size.width());
    const double outerHeight = r.outerHeight > 0 ? r.outerHeight : surface.toTwips(job.size.height());
    HeadlessHost host(surface, state, r.typed, outerWidth, outerHeight);
    DrawingRun(state, host, surface, random).run();
    return *state.lastRecipe;
}

std::optional<Failure> writePicture(outputformat::Format format, const QString &path,
                                    const DrawingSurface &surface, const recipetext::FigureRecipe &kept)
{
    using outputformat::Format;
    switch (format) {
    case Format::Bmp: return surface.saveImage(path);
    case Format::Png: return pngrecipe::write(path, surface.imagePixels(), recipetext::chunkText(kept));
    case Format::Svg: return svgwriter::write(path, kept.recipe, kept.canvas, kept.twipsPerPixel);
    case Format::Jpeg: break;
    }
    return jpegfile::write(path, surface.imagePixels(), jpegQuality,
                           static_cast<int>(std::lround(surface.dotsPerInch())));
}

Job jobFor(const recipetext::FigureRecipe &figure)
{
    Job job;
    job.recipe = figure.recipe;
    job.recipe.typed = recipe::fieldTexts(figure.recipe);
    job.size = figure.canvas;
    job.twipsPerPixel = figure.twipsPerPixel;
    return job;
}

std::optional<Failure> exportParameters(const QString &path, const recipetext::FigureRecipe &figure)
{
    return safesave::writeFile(path, recipetext::parameterFile(figure));
}

std::optional<Failure> exportPicture(outputformat::Format format, const QString &path,
                                     const recipetext::FigureRecipe &figure)
{
    if (format == outputformat::Format::Svg)
        return svgwriter::write(path, figure.recipe, figure.canvas, figure.twipsPerPixel);
    DrawingSurface surface(figure.canvas, figure.twipsPerPixel);
    const Recipe kept = draw(surface, jobFor(figure));
    return writePicture(format, path, surface, {kept, figure.canvas, figure.twipsPerPixel, true});
}

bool exportable(const QString &path)
{
    return isParameterFile(path) || outputformat::byExtension(path);
}

std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure)
{
    if (isParameterFile(path))
        return exportParameters(path, figure);
    if (const auto never = refusal(figure.recipe))
        return Failure{0, *never};
    return exportPicture(*outputformat::byExtension(path), path, figure);
}

} // namespace headless

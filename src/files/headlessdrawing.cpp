#include "headlessdrawing.h"

#include "drawingrun.h"
#include "numbers.h"
#include "randomsource.h"

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
    if (DrawingRun::counterStep(recipe.prefs.stepSize) == 0 &&
        DrawingRun::counterEnd(recipe.prefs.turns) >= 0)
        return QStringLiteral("the step size %1 rounds to 0, so the drawing would never end")
            .arg(QString::fromStdString(
                numbers::numberText(recipe.prefs.stepSize, numbers::Precision::Double)));
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
    surface.setDrawWidth(r.prefs.penSize);
    surface.setDrawMode(r.prefs.drawMode);
    FormState state;
    state.foregroundColor = r.penColor;
    state.backgroundColor = r.backColor;
    state.prefs = r.prefs;
    RandomSource random(job.seed);
    if (r.randomPen && r.prefs.randomColors == 0) {
        // The pen's colours come again from where the drawing found the
        // generator: a new one at every checkpoint, nothing else random.
        state.prefs.randomColors = 1;
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

Job jobFor(const recipetext::FigureRecipe &figure)
{
    Job job;
    job.recipe = figure.recipe;
    job.recipe.typed = recipe::fieldTexts(figure.recipe);
    job.size = figure.canvas;
    job.twipsPerPixel = figure.twipsPerPixel;
    return job;
}

} // namespace headless

// SPDX-License-Identifier: GPL-3.0-or-later
#include "headlessdrawing.h"

#include "counterwalk.h"
#include "drawingrun.h"
#include "numbers.h"
#include "randomsource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

std::optional<QString> corruption(const Recipe &recipe)
{
    if (recipe.randomPen && recipe.randomPen->drawsBefore > maximumDrawsBefore)
        return QStringLiteral("its random pen starts %1 numbers into the generator, more than the %2 "
                              "any drawing session reaches")
            .arg(recipe.randomPen->drawsBefore)
            .arg(maximumDrawsBefore);
    return std::nullopt;
}

Work estimate(const Job &job)
{
    // Measured on the renderer: a point costs about 100 ns and 1.7 ns for
    // each pixel of the pen; filling and writing a pixel of the canvas about
    // 22 ns; passing over one random number about 10 ns.
    constexpr double pointNs = 100, penPixelNs = 1.7, canvasPixelNs = 22, drawNs = 10;
    const DrawingPrefs &prefs = job.recipe.prefs;
    const CounterWalk walk(DrawingRun::counterEnd(prefs.turns), DrawingRun::counterStep(prefs.stepSize),
                           drawing::checkpointSpacing);
    Work work;
    work.points = walk.pointCount();
    if (walk.step() != 0) {
        const std::int64_t end = DrawingRun::counterEnd(prefs.turns);
        work.points = std::min<std::uint64_t>(work.points, std::uint64_t(std::llabs(end / walk.step())) + 1);
    }
    // The pen is clipped by the canvas.
    const std::uint64_t pen = std::uint64_t(std::max(1, int(prefs.penSize)));
    work.penArea = std::min<std::uint64_t>(pen, std::uint64_t(job.size.width())) *
                   std::min<std::uint64_t>(pen, std::uint64_t(job.size.height()));
    work.pixels = std::uint64_t(job.size.width()) * std::uint64_t(job.size.height());
    const std::uint64_t checkpoints = work.points / drawing::checkpointSpacing + 1;
    work.draws = 3 * checkpoints + (job.recipe.randomPen ? job.recipe.randomPen->drawsBefore : 0);
    work.seconds = (double(work.points) * (pointNs + penPixelNs * double(work.penArea)) +
                    double(work.pixels) * canvasPixelNs + double(work.draws) * drawNs) /
                   1e9;
    return work;
}

std::optional<double> turnsReached(const Recipe &recipe)
{
    const double asked = double(recipe.prefs.turns) * drawing::counterPerTurn;
    const std::int32_t end = DrawingRun::counterEnd(recipe.prefs.turns);
    if (!(asked > double(end)))
        return std::nullopt;
    return double(end) / drawing::counterPerTurn;
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
    host.setOnCheckpoint(job.onCheckpoint);
    host.setStop(job.stop);
    DrawingRun(state, host, job.through ? *job.through : surface, random).run();
    return *state.lastRecipe;
}

Job pointsOnly(const Job &job)
{
    Job points = job;
    if (!(points.recipe.outerWidth > 0 && points.recipe.outerHeight > 0)) {
        points.recipe.outerWidth = job.size.width() * job.twipsPerPixel;
        points.recipe.outerHeight = job.size.height() * job.twipsPerPixel;
    }
    points.size = QSize(1, 1);
    return points;
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawingrun.h"

#include "counterwalk.h"
#include "curve.h"
#include "layout.h"
#include "numbers.h"
#include "pointsahead.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace drawing {

colors::Color randomColor(RandomSource &random)
{
    int component[3];
    for (int &c : component)
        c = std::min(255, static_cast<int>(std::nearbyint(256 * random.next())));
    return colors::rgb(component[0], component[1], component[2]);
}

DrawingPrefs withCanvasPen(DrawingPrefs prefs, const Canvas &canvas)
{
    prefs.penSize = numbers::clampToInt16(canvas.drawWidth());
    prefs.drawMode = static_cast<std::int16_t>(canvas.drawMode());
    return prefs;
}

void clearProgressBar(Canvas &canvas, double panelLeft, double panelHeight, colors::Color color)
{
    const auto y = static_cast<float>(panelHeight + layout::progressBarBelowPanel);
    canvas.line(static_cast<float>(panelLeft), y, static_cast<float>(panelLeft + layout::progressBarLength),
                y, color);
}

} // namespace drawing

DrawingRun::DrawingRun(FormState &state, DrawingHost &host, Canvas &canvas, RandomSource &random)
    : state_(state), host_(host), canvas_(canvas), random_(random)
{
}

std::int32_t DrawingRun::counterEnd(float turns)
{
    return numbers::clampToInt32(turns * drawing::counterPerTurn);
}

std::int32_t DrawingRun::counterStep(double stepSize)
{
    return numbers::clampToInt32(stepSize);
}

std::chrono::microseconds DrawingRun::pauseRound(std::int32_t autoRunDelay)
{
    // 0.3 microseconds per unit of the delay and round: a delay of 1000 gives
    // a pause of 0.3 s in 1000 rounds. Rounded up, so that every longer delay
    // still means a longer pause. A round never blocks the window for more
    // than 50 ms.
    if (autoRunDelay <= 0)
        return std::chrono::microseconds(0);
    const double micros = std::min(std::ceil(3.0 * autoRunDelay / 10), 50000.0);
    return std::chrono::microseconds(static_cast<std::int64_t>(micros));
}

void DrawingRun::run()
{
    state_.drawingActive = 1;
    host_.setRunning(true);
    for (;;) {
        if (!drawOnce())
            return;
        host_.drawingDone();
        if (state_.autoRunActive != 1)
            break;
        if (!pause())
            return;
        if (state_.autoRunActive != 1)
            break;
    }
    state_.drawingActive = 0;
    host_.setRunning(false);
    host_.setDrawEnabled(true);
}

bool DrawingRun::drawOnce()
{
    state_.stopRequested = 0;
    const bool progressBar = host_.showsProgressBar();
    if (progressBar)
        drawing::clearProgressBar(canvas_, host_.panelLeft(), host_.panelHeight(), state_.backgroundColor);
    const DrawingPrefs &prefs = state_.prefs;
    CurveParameters parameters = curve::readCurveParameters(host_.parameterTexts());
    host_.setDrawEnabled(false);
    if (state_.autoClean == 1)
        host_.clean();
    curve::completeCurveParameters(parameters, host_.outerWidth(), host_.outerHeight(),
                                   prefs.placement.drawPartX, prefs.placement.drawPartY, random_);

    const CounterWalk walk(counterEnd(prefs.turns), counterStep(prefs.stepSize), drawing::checkpointSpacing);
    // A host that handles nothing between checkpoints cannot change the
    // placement during the drawing, so a long one is computed ahead,
    // starting while the colours are chosen.
    std::optional<PointsAhead> ahead;
    if (host_.idleBetweenCheckpoints() && walk.pointCount() > drawing::pointsAheadFrom)
        ahead.emplace(parameters, walk, prefs.placement.drawLeftOffset, prefs.placement.drawTopOffset);

    const int r = prefs.randomColors;
    if (r > 1) {
        lastRandomBackground_ = drawing::randomColor(random_);
        canvas_.setBackColor(lastRandomBackground_);
        if (r < 4)
            state_.foregroundColor = drawing::randomColor(random_);
    }
    const bool newPenAtCheckpoints = r > 0 && r % 2 == 1;
    keepRecipe(parameters, newPenAtCheckpoints);

    std::vector<CurvePointF> batch(ahead ? 0 : CounterWalk::batchLimit);
    std::int64_t n = 0;
    checkpointSeen_ = false;
    while (walk.inRange(n)) {
        if (n % drawing::checkpointSpacing == 0) {
            checkpointSeen_ = true;
            if (newPenAtCheckpoints)
                state_.foregroundColor = drawing::randomColor(random_);
            // With `turns` 0 the only checkpoint has no place on the bar.
            if (progressBar && prefs.turns != 0) {
                const double barX = host_.panelLeft() + static_cast<double>(n) / 2950 / prefs.turns + 10;
                if (std::isfinite(barX))
                    canvas_.pset(static_cast<float>(barX),
                                 static_cast<float>(host_.panelHeight() + layout::progressBarBelowPanel),
                                 state_.foregroundColor);
            }
            host_.checkpointReached(n);
            host_.processEvents();
            if (host_.programEnded())
                return false;
            if (state_.stopRequested == 1) {
                state_.stopRequested = 0;
                break;
            }
        }
        // The points up to the next checkpoint share colour and placement.
        std::int64_t next = 0;
        const std::size_t count = walk.batchAt(n, next);
        const CurvePointF *points = batch.data();
        if (ahead)
            points = ahead->take(n, count);
        else
            curve::curvePoints(parameters, static_cast<std::int32_t>(n),
                               static_cast<std::int32_t>(walk.step()), count, prefs.placement.drawLeftOffset,
                               prefs.placement.drawTopOffset, batch.data());
        canvas_.psetMany(points, count, state_.foregroundColor);
        n = next;
    }
    return true;
}

void DrawingRun::keepRecipe(const CurveParameters &parameters, bool newPenAtCheckpoints)
{
    Recipe kept;
    kept.typed = host_.parameterTexts();
    kept.parameters = parameters;
    kept.prefs = drawing::withCanvasPen(state_.prefs, canvas_);
    // The colours the drawing took are kept as they are, not drawn again.
    kept.prefs.randomColors = 0;
    kept.penColor = state_.foregroundColor;
    kept.backColor = state_.prefs.randomColors > 1 ? lastRandomBackground_ : state_.backgroundColor;
    kept.outerWidth = host_.outerWidth();
    kept.outerHeight = host_.outerHeight();
    if (newPenAtCheckpoints) {
        // The checkpoint of n = 0 gives the first point its colour.
        kept.randomPen = RandomPen{random_.seedValue(), random_.drawCount()};
        RandomSource ahead = random_;
        kept.penColor = drawing::randomColor(ahead);
    }
    state_.lastRecipe = kept;
}

bool DrawingRun::pause()
{
    // A stop ends the pause early: waiting on would only hold the button in
    // its "Stop Draw" state.
    const auto round = pauseRound(state_.prefs.autoRunDelay);
    bool yielded = checkpointSeen_;
    for (std::int32_t i = 0; i < state_.prefs.autoRunDelay && state_.autoRunActive == 1; ++i) {
        host_.wait(round);
        host_.processEvents();
        yielded = true;
        if (host_.programEnded())
            return false;
    }
    // Drawings without a checkpoint (a negative `turns`) and no pause would
    // never let "Stop Draw" or the closing of the window reach the run.
    if (!yielded) {
        host_.processEvents();
        if (host_.programEnded())
            return false;
    }
    return true;
}

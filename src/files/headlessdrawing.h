// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "colors.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "formstate.h"
#include "parametertexts.h"
#include "recipe.h"
#include "recipetext.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// A drawing window without a window: the figure of fixed parameter texts
// drawn once onto a surface of its own, as "Draw" would, without panel and
// progress bar. The window's outer size, which the scales come from, is
// given; it is the surface's own size for a figure that has none recorded.
class HeadlessHost : public DrawingHost {
public:
    HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts, double outerWidth,
                 double outerHeight);
    // The surface's own size stands for the window's.
    HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts);

    ParameterTexts parameterTexts() const override { return texts_; }
    void emptyField(ParameterTexts::Index field) override { texts_[field].clear(); }
    void setDrawEnabled(bool) override {}
    void setRunning(bool) override {}
    void clean() override;
    double outerWidth() const override { return outerWidth_; }
    double outerHeight() const override { return outerHeight_; }
    bool showsProgressBar() const override { return false; }
    double panelLeft() const override { return 0; }
    double panelHeight() const override { return 0; }
    void checkpointReached(std::int64_t counter) override
    {
        if (onCheckpoint_)
            onCheckpoint_(counter);
    }
    void processEvents() override {}
    bool idleBetweenCheckpoints() const override { return true; }
    void wait(std::chrono::microseconds) override {}
    bool programEnded() const override { return stop_ && stop_(); }

    // What to call at each checkpoint with the counter reached.
    void setOnCheckpoint(std::function<void(std::int64_t)> onCheckpoint)
    {
        onCheckpoint_ = std::move(onCheckpoint);
    }

    // What tells, at each checkpoint, that the drawing is to stop where it is.
    void setStop(std::function<bool()> stop) { stop_ = std::move(stop); }

private:
    std::function<void(std::int64_t)> onCheckpoint_;
    std::function<bool()> stop_;
    DrawingSurface &surface_;
    FormState &state_;
    ParameterTexts texts_;
    double outerWidth_;
    double outerHeight_;
};

namespace headless {

// One figure to draw: the texts and colours in `recipe.typed`,
// `recipe.penColor` and `recipe.backColor`, with the recipe's drawing
// preferences. A recipe's random pen draws its colours again unless the
// preferences' random colours ask for colours of their own.
struct Job {
    Recipe recipe;
    std::uint64_t seed = 0;
    QSize size{586, 466};
    double twipsPerPixel = 15;
    // Called at each checkpoint with the counter reached, for progress.
    std::function<void(std::int64_t)> onCheckpoint;
    // Asked at each checkpoint; true stops the drawing there.
    std::function<bool()> stop;
    // The canvas the drawing goes through when set: one that passes every
    // operation on to the surface and watches the drawing as it goes, such
    // as an animation's frames.
    Canvas *through = nullptr;
};

// The outer size a job's figure is drawn for: the recorded one, stretched
// with the canvas when that is drawn at another size than it was recorded
// at, or the canvas itself.
struct OuterSize {
    double width;
    double height;
};
OuterSize outerSize(const Recipe &recipe, QSize recordedCanvas, QSize canvas, double twipsPerPixel);

// Why a job cannot be drawn: a counter step that rounds to 0 would never end.
std::optional<QString> refusal(const Recipe &recipe);

// Why a recipe cannot have come from a drawing: its random pen starts
// further into the generator than any drawing session reaches.
std::optional<QString> corruption(const Recipe &recipe);
// About 400 of the longest drawings, or over a million of the default one,
// in one session; passing over them takes a few seconds.
inline constexpr std::uint64_t maximumDrawsBefore = std::uint64_t(1) << 28;

// The work a job asks for, known before drawing: every point paints the pen's
// area, the canvas is filled and written, and the random pen passes over the
// generator's numbers. The time is what one core of a common machine takes.
struct Work {
    std::uint64_t points = 0;
    std::uint64_t penArea = 1;
    std::uint64_t pixels = 0;
    std::uint64_t draws = 0;
    double seconds = 0;
};
Work estimate(const Job &job);

// The turns the counter reaches when a job asks for more than it can count;
// nothing when it draws the turns asked for.
std::optional<double> turnsReached(const Recipe &recipe);

// Draws the job on `surface`, which takes its size, and returns the recipe
// the drawing kept.
Recipe draw(DrawingSurface &surface, const Job &job);

// The job for the points of its figure alone, drawn on a surface of one
// pixel at the outer size of its own canvas: what a painted picture and the
// frame of a fitted figure are made from.
Job pointsOnly(const Job &job);

// The draw job that draws a kept recipe again, at its own canvas.
Job jobFor(const recipetext::FigureRecipe &figure);

} // namespace headless

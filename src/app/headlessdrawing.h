#pragma once

#include "colors.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "failure.h"
#include "formstate.h"
#include "outputformat.h"
#include "parametertexts.h"
#include "recipe.h"
#include "recipetext.h"

#include <QSize>
#include <QString>

#include <cstdint>
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
    void processEvents() override {}
    bool idleBetweenCheckpoints() const override { return true; }
    void wait(std::chrono::microseconds) override {}
    bool programEnded() const override { return false; }

private:
    DrawingSurface &surface_;
    FormState &state_;
    ParameterTexts texts_;
    double outerWidth_;
    double outerHeight_;
};

namespace headless {

// One figure to draw: the texts and colours in `recipe.typed`,
// `recipe.penColor` and `recipe.backColor`, with the recipe's step, turns,
// pen, mode and placement. A recipe's random pen draws its colours again
// unless `randomColors` asks for colours of its own.
struct Job {
    Recipe recipe;
    std::int16_t randomColors = 0;
    std::uint64_t seed = 0;
    QSize size{586, 466};
    double twipsPerPixel = 15;
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

// Draws the job on `surface`, which takes its size, and returns the recipe
// the drawing kept.
Recipe draw(DrawingSurface &surface, const Job &job);

// Writes the drawn picture in `format`; a PNG carries `kept` as its recipe.
// The vector drawing is made from the recipe alone.
std::optional<Failure> writePicture(outputformat::Format format, const QString &path,
                                    const DrawingSurface &surface, const recipetext::FigureRecipe &kept);

// Exports a kept figure as the window's "Export figure" does: a parameter
// file with the recipe, or the figure drawn again on a canvas of
// `figure.canvas` in `format`.
std::optional<Failure> exportParameters(const QString &path, const recipetext::FigureRecipe &figure);
std::optional<Failure> exportPicture(outputformat::Format format, const QString &path,
                                     const recipetext::FigureRecipe &figure);

// Whether `path` names something a figure can be exported as: a parameter
// file or one of the picture types.
bool exportable(const QString &path);
// Exports the figure as the extension of `path` asks (see exportable); a
// recipe that could never finish drawing is refused with its reason.
std::optional<Failure> exportFigure(const QString &path, const recipetext::FigureRecipe &figure);

// The draw job that draws a kept recipe again, at its own canvas.
Job jobFor(const recipetext::FigureRecipe &figure);

} // namespace headless

#pragma once

#include "colors.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "formstate.h"
#include "parametertexts.h"

#include <QImage>
#include <QSize>

#include <cstdint>

// A drawing window without a window: the figure of fixed parameter texts
// drawn once onto a surface of its own, as "Draw" would with the default
// settings, without panel and progress bar. The surface's size in twips
// stands for the window's outer size.
class HeadlessHost : public DrawingHost {
public:
    HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts);

    ParameterTexts parameterTexts() const override { return texts_; }
    void emptyField(ParameterTexts::Index field) override { texts_[field].clear(); }
    void setDrawEnabled(bool) override {}
    void setRunning(bool) override {}
    void clean() override;
    double outerWidth() const override;
    double outerHeight() const override;
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
};

namespace headless {

// Draws the figure on a canvas of `size` pixels cleared to `background`; the
// surface then holds the picture.
void drawFigure(DrawingSurface &surface, const ParameterTexts &texts, colors::Color foreground,
                colors::Color background, std::uint64_t seed);

} // namespace headless

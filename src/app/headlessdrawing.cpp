#include "headlessdrawing.h"

#include "drawingrun.h"
#include "randomsource.h"

HeadlessHost::HeadlessHost(DrawingSurface &surface, FormState &state, ParameterTexts texts)
    : surface_(surface), state_(state), texts_(std::move(texts))
{
}

void HeadlessHost::clean()
{
    surface_.setBackColor(state_.backgroundColor);
    surface_.cls();
}

double HeadlessHost::outerWidth() const
{
    return surface_.toTwips(surface_.size().width());
}
double HeadlessHost::outerHeight() const
{
    return surface_.toTwips(surface_.size().height());
}

namespace headless {

void drawFigure(DrawingSurface &surface, const ParameterTexts &texts, colors::Color foreground,
                colors::Color background, std::uint64_t seed)
{
    surface.setOneImage(true);
    surface.setAutoRedraw(true);
    FormState state;
    state.foregroundColor = foreground;
    state.backgroundColor = background;
    surface.setBackColor(background);
    HeadlessHost host(surface, state, texts);
    RandomSource random(seed);
    DrawingRun(state, host, surface, random).run();
}

} // namespace headless

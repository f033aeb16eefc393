// Points per second of the curve formula alone and of whole drawing runs.
//
// (a) curvePoint over every counter value of a figure;
// (b) the same figure drawn by a headless drawing run onto a surface.
// The ratio b/a shows what the run adds to the formula.

#include "curve.h"
#include "drawingrun.h"
#include "headlessdrawing.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The best of several timings, in seconds.
double bestOf(int rounds, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

ParameterTexts figureTexts()
{
    ParameterTexts texts;
    texts[ParameterTexts::XAmp] = "0.6";
    texts[ParameterTexts::XFreq] = "7";
    return texts;
}

struct Figure {
    const char *name;
    float turns;
    double stepSize;
};

volatile float sink;

void measure(const Figure &figure)
{
    const QSize size(586, 466);
    const double width = size.width() * 15.0;
    const double height = size.height() * 15.0;
    RandomSource random(1);
    CurveParameters parameters = curve::readCurveParameters(figureTexts());
    curve::completeCurveParameters(parameters, width, height, 1, 1, random);
    const std::int32_t end = DrawingRun::counterEnd(figure.turns);
    const auto step = static_cast<std::int32_t>(figure.stepSize);
    const double points = static_cast<double>(end / step + 1);

    // The formula in the batches a drawing run asks for: the points between
    // two checkpoints.
    std::vector<CurvePointF> batch(100);
    const double formula = bestOf(5, [&] {
        float total = 0;
        for (std::int64_t n = 0; n <= end; n += 100 * step) {
            const auto count = static_cast<std::size_t>(std::min<std::int64_t>(100, (end - n) / step + 1));
            curve::curvePoints(parameters, static_cast<std::int32_t>(n), step, count, 50, 50, batch.data());
            total += batch[0].x + batch[count - 1].y;
        }
        sink = total;
    });

    DrawingSurface surface(size, 15);
    const double run = bestOf(5, [&] {
        FormState state;
        state.turns = figure.turns;
        state.stepSize = figure.stepSize;
        state.foregroundColor = colors::white;
        HeadlessHost host(surface, state, figureTexts());
        RandomSource seeded(1);
        DrawingRun(state, host, surface, seeded).run();
    });

    std::printf("%-28s %9.0f points  (a) formula %7.2f Mpt/s %6.1f ns/pt   (b) run %7.2f Mpt/s %6.1f ns/pt   "
                "b/a %.2f\n",
                figure.name, points, points / formula / 1e6, formula / points * 1e9, points / run / 1e6,
                run / points * 1e9, run / formula);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    measure({"default figure (1 turn)", 1, 100});
    measure({"about one million points", 16, 100});
    return 0;
}

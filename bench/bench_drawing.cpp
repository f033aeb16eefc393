// SPDX-License-Identifier: GPL-3.0-or-later
// Points per second of the curve formula alone and of whole drawing runs.
//
// (a) curvePoint over every counter value of a figure;
// (b) the same figure drawn by a headless drawing run onto a surface;
// (c) the same figure drawn by "Draw" in a real window on the offscreen
//     platform, which repaints and handles events at every checkpoint.
// The ratios b/a and c/b show what the run and the window add; a/bare
// compares the formula with a bare loop of the same vector sines and cosines.
// With the argument "formula" only the formula is measured, with "history"
// only the history.
//
// Then the history: what keeping one drawing adds to the run (its recipe
// and a copy of the picture; the writer makes the thumbnail and appends the
// record meanwhile), and how long the History window takes to open with 500
// entries.

#include "barevector.h"
#include "curve.h"
#include "drawingrun.h"
#include "form1.h"
#include "headlessdrawing.h"
#include "historycommands.h"
#include "historywindow.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
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

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The same in processor time of this thread, which other programs on a busy
// machine do not lengthen: for work on one thread only.
double bestOnThreadOf(int rounds, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const double start = threadSeconds();
        work();
        best = std::min(best, threadSeconds() - start);
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

const QSize canvasSize(586, 466);

CurveParameters figureParameters()
{
    RandomSource random(1);
    CurveParameters parameters = curve::readCurveParameters(figureTexts());
    curve::completeCurveParameters(parameters, canvasSize.width() * 15.0, canvasSize.height() * 15.0, 1, 1,
                                   random);
    return parameters;
}

// The formula in the batches a drawing run asks for, the points between two
// checkpoints, against the bare vector loop in the same batches; prints both
// and returns the formula's time.
double measureFormula(const Figure &figure, double points)
{
    const CurveParameters parameters = figureParameters();
    const std::int32_t end = DrawingRun::counterEnd(figure.turns);
    const auto step = static_cast<std::int32_t>(figure.stepSize);
    std::vector<CurvePointF> batch(100);
    const auto inBatches = [&](const std::function<void(std::int64_t, std::size_t)> &compute) {
        return bestOnThreadOf(21, [&] {
            float total = 0;
            for (std::int64_t n = 0; n <= end; n += 100 * step) {
                const auto count =
                    static_cast<std::size_t>(std::min<std::int64_t>(100, (end - n) / step + 1));
                compute(n, count);
                total += batch[0].x + batch[count - 1].y;
            }
            sink = total;
        });
    };
    const double formula = inBatches([&](std::int64_t n, std::size_t count) {
        curve::curvePoints(parameters, static_cast<std::int32_t>(n), step, count, 50, 50, batch.data());
    });
    std::printf("  (a) formula, %s batches %8.2f Mpt/s %6.1f ns/pt\n",
                curve::fastestBatchPath() == curve::BatchPath::Vector ? "four-wide" : "scalar",
                points / formula / 1e6, formula / points * 1e9);
    if (barevector::available()) {
        const double bare = inBatches([&](std::int64_t n, std::size_t count) {
            barevector::points(static_cast<double>(n), step, count, reinterpret_cast<float *>(batch.data()));
        });
        std::printf("      bare vector loop      %8.2f Mpt/s %6.1f ns/pt   a/bare %.2f\n",
                    points / bare / 1e6, bare / points * 1e9, formula / bare);
    }
    return formula;
}

void measure(const Figure &figure, bool formulaOnly)
{
    const QSize size = canvasSize;
    const std::int32_t end = DrawingRun::counterEnd(figure.turns);
    const auto step = static_cast<std::int32_t>(figure.stepSize);
    const double points = static_cast<double>(end / step + 1);
    std::printf("%s, %.0f points\n", figure.name, points);
    const double formula = measureFormula(figure, points);
    if (formulaOnly)
        return;

    DrawingSurface surface(size, 15);
    const double run = bestOf(5, [&] {
        FormState state;
        state.prefs.turns = figure.turns;
        state.prefs.stepSize = figure.stepSize;
        state.foregroundColor = colors::white;
        HeadlessHost host(surface, state, figureTexts());
        RandomSource seeded(1);
        DrawingRun(state, host, surface, seeded).run();
    });

    QTemporaryDir settings;
    FormOptions options;
    options.settingsPath = settings.filePath("voludef.txt");
    options.historyPath = settings.filePath("history");
    Form1 form(options);
    form.Frame1->Text1->setText("0.6");
    form.Frame1->Text2->setText("7");
    form.state().prefs.turns = figure.turns;
    form.state().prefs.stepSize = figure.stepSize;
    const double window = bestOf(5, [&] { form.Command1_Click(); });

    std::printf("  (b) headless run          %8.2f Mpt/s %6.1f ns/pt   b/a %.2f\n", points / run / 1e6,
                run / points * 1e9, run / formula);
    std::printf("  (c) Draw in the window    %8.2f Mpt/s %6.1f ns/pt   c/b %.2f\n", points / window / 1e6,
                window / points * 1e9, window / run);
}

// The formula one point at a time against four at a time.
void comparePaths()
{
    RandomSource random(1);
    CurveParameters parameters = curve::readCurveParameters(figureTexts());
    curve::completeCurveParameters(parameters, 8790, 6990, 1, 1, random);
    const std::size_t count = 100;
    std::vector<CurvePointF> batch(count);
    const auto timePath = [&](curve::BatchPath path) {
        return bestOf(5, [&] {
            for (std::int32_t n = 0; n <= 6283200 * 4; n += static_cast<std::int32_t>(count) * 100)
                curve::curvePoints(parameters, n, 100, count, 50, 50, batch.data(), path);
            sink = batch[0].x;
        });
    };
    const double points = 4 * 62833;
    const double scalar = timePath(curve::BatchPath::Scalar);
    std::printf("formula paths, %.0f points\n  scalar     %8.2f Mpt/s %6.1f ns/pt\n", points,
                points / scalar / 1e6, scalar / points * 1e9);
    if (curve::fastestBatchPath() != curve::BatchPath::Vector) {
        std::printf("  four-wide  not available on this processor\n");
        return;
    }
    const double vector = timePath(curve::BatchPath::Vector);
    std::printf("  four-wide  %8.2f Mpt/s %6.1f ns/pt   four-wide/scalar %.2f\n", points / vector / 1e6,
                vector / points * 1e9, vector / scalar);
}

// Keeping a drawing in the history, as the run's end does it, and opening
// the History window with the history full.
void measureHistory()
{
    QTemporaryDir folder;
    FormOptions options;
    options.settingsPath = folder.filePath("voludef.txt");
    options.historyPath = folder.filePath("history");
    Form1 form(options);
    form.Frame1->Text1->setText("0.6");
    form.Frame1->Text2->setText("7");
    form.Command1_Click();
    auto *history = form.findChild<HistoryCommands *>();
    // The writer makes the thumbnails and writes the file while the next
    // figure is drawn: between two keepings there is the time of a drawing
    // of this figure, which is still short.
    const double drawing = bestOf(3, [&] { form.Command1_Click(); });
    // Wall-clock and processor time of this thread, which other programs
    // on a busy machine do not lengthen.
    struct Times {
        std::vector<double> took;
        std::vector<double> processor;
        double mean = 0;
    };
    const auto keep = [&form](int drawings, double between) {
        Times times;
        for (int i = 0; i < drawings; ++i) {
            const auto start = Clock::now();
            const double startThread = threadSeconds();
            emit form.figureDrawn();
            times.processor.push_back(threadSeconds() - startThread);
            times.took.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::duration<double>(between));
        }
        for (const double t : times.took)
            times.mean += t / drawings;
        std::sort(times.took.begin(), times.took.end());
        std::sort(times.processor.begin(), times.processor.end());
        return times;
    };
    // Past the bound, so that the file's rewrites are counted too.
    const int drawings = 600;
    const Times paced = keep(drawings, drawing);
    std::printf(
        "history\n  keeping one drawing       median %6.3f ms (processor %6.3f ms), mean %6.3f ms,\n"
        "                            slowest %6.3f ms (processor %6.3f ms), %d drawings %.1f ms apart\n",
        paced.took[paced.took.size() / 2] * 1e3, paced.processor[paced.processor.size() / 2] * 1e3,
        paced.mean * 1e3, paced.took.back() * 1e3, paced.processor.back() * 1e3, drawings, drawing * 1e3);
    // Drawings that end faster than the writer keeps up wait for it.
    const Times rushed = keep(200, 0);
    std::printf("  back to back              median %6.3f ms, mean %6.3f ms, 200 drawings\n",
                rushed.took[rushed.took.size() / 2] * 1e3, rushed.mean * 1e3);
    history->history().finishWrites();

    const auto start = Clock::now();
    history->showWindow();
    QApplication::processEvents();
    const double opening = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("  History window opening    %6.1f ms with %d entries, %d thumbnails decoded\n",
                opening * 1e3, history->window()->model()->rowCount(), history->window()->model()->decoded());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool formulaOnly = argc > 1 && std::strcmp(argv[1], "formula") == 0;
    const bool historyOnly = argc > 1 && std::strcmp(argv[1], "history") == 0;
    QApplication application(argc, argv);
    if (!historyOnly) {
        if (!formulaOnly)
            comparePaths();
        measure({"default figure (1 turn)", 1, 100}, formulaOnly);
        measure({"about one million points", 16, 100}, formulaOnly);
    }
    if (!formulaOnly)
        measureHistory();
    return 0;
}

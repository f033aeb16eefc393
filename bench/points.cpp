// SPDX-License-Identifier: GPL-3.0-or-later
// The points of a figure as a drawing run computes them, in pixels, one
// "x y" line each: the input of another plotting program drawing the same
// figure on the same canvas.
//   volutra_points FIGURE WIDTH HEIGHT TURNS OUT
// FIGURE is the amplitude and the frequency of X ("0.6/7").

#include "curve.h"
#include "drawingrun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: volutra_points AMPLITUDE/FREQUENCY WIDTH HEIGHT TURNS OUT\n");
        return 2;
    }
    const std::string figure = argv[1];
    const auto slash = figure.find('/');
    ParameterTexts texts;
    texts[ParameterTexts::XAmp] = figure.substr(0, slash);
    texts[ParameterTexts::XFreq] = slash == std::string::npos ? "" : figure.substr(slash + 1);
    const double width = std::atof(argv[2]);
    const double height = std::atof(argv[3]);
    const auto turns = static_cast<float>(std::atof(argv[4]));

    constexpr double twipsPerPixel = 15;
    RandomSource random(1);
    CurveParameters parameters = curve::readCurveParameters(texts);
    curve::completeCurveParameters(parameters, width * twipsPerPixel, height * twipsPerPixel, 1, 1, random);
    const std::int32_t end = DrawingRun::counterEnd(turns);
    constexpr std::int32_t step = 100;

    std::FILE *out = std::fopen(argv[5], "w");
    if (!out) {
        std::perror(argv[5]);
        return 1;
    }
    std::vector<CurvePointF> batch(100);
    long long written = 0;
    for (std::int64_t n = 0; n <= end; n += 100 * step) {
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(100, (end - n) / step + 1));
        curve::curvePoints(parameters, static_cast<std::int32_t>(n), step, count, 50, 50, batch.data());
        for (std::size_t i = 0; i < count; ++i)
            if (std::isfinite(batch[i].x) && std::isfinite(batch[i].y)) {
                std::fprintf(out, "%.2f %.2f\n", batch[i].x / twipsPerPixel, batch[i].y / twipsPerPixel);
                ++written;
            }
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[5]);
        return 1;
    }
    std::printf("%lld\n", written);
    return 0;
}

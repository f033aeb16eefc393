// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "drawinghost.h"
#include "formstate.h"
#include "randomsource.h"

#include <chrono>
#include <cstdint>

// One press of "Draw": the figure that the fields describe traced point by
// point, with the progress bar below the panel, yielding to the window at
// every counter value that is a multiple of 10000. While an automatic run is
// on, it pauses and starts the next drawing until it is stopped.
class DrawingRun {
public:
    DrawingRun(FormState &state, DrawingHost &host, Canvas &canvas, RandomSource &random);

    void run();

    // The counter's end for `turns`, held within the 32-bit range.
    static std::int32_t counterEnd(float turns);
    // The counter's step, held within the 32-bit range.
    static std::int32_t counterStep(double stepSize);
    // How long one of the `autoRunDelay` rounds of the pause between two
    // drawings waits: the whole pause grows with the square of the delay.
    static std::chrono::microseconds pauseRound(std::int32_t autoRunDelay);

private:
    // Returns false when the program ended during the drawing.
    bool drawOnce();
    bool pause();
    // Keeps what shaped the drawing that starts now in the window's state.
    void keepRecipe(const CurveParameters &parameters, bool newPenAtCheckpoints);

    FormState &state_;
    DrawingHost &host_;
    Canvas &canvas_;
    RandomSource &random_;
    // Whether the last drawing reached a checkpoint and so yielded.
    bool checkpointSeen_ = false;
    colors::Color lastRandomBackground_ = colors::black;
};

namespace drawing {

inline constexpr std::int32_t checkpointSpacing = 10000;
inline constexpr double counterPerTurn = 6283200;
// Drawings of more points than this have them computed ahead on a second
// thread when the host allows it.
inline constexpr std::uint64_t pointsAheadFrom = 1000000;

// A colour of three uniform random components, drawn red, green, blue.
colors::Color randomColor(RandomSource &random);

// The preferences with the pen size and mode that `canvas` draws with.
DrawingPrefs withCanvasPen(DrawingPrefs prefs, const Canvas &canvas);

// Paints over the progress bar below the panel.
void clearProgressBar(Canvas &canvas, double panelLeft, double panelHeight, colors::Color color);

} // namespace drawing

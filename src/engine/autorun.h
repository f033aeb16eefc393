// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "drawinghost.h"
#include "formstate.h"
#include "randomsource.h"

namespace autorun {

// The AutoRun button. While a run is in progress it is "Stop Draw": the run
// ends at its next checkpoint. Otherwise it empties both amplitude and
// frequency fields, so that every drawing is a random figure, and draws
// until it is stopped.
void click(FormState &state, DrawingHost &host, Canvas &canvas, RandomSource &random);

} // namespace autorun

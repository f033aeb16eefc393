// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "drawinghost.h"
#include "formstate.h"

#include <chrono>

// Placing and sizing the next figures with the mouse: a drag marks the
// rectangle the figure fills; a click, a drag too narrow or too flat, or a
// double click restores the default placement.
namespace mousesizing {

void mouseDown(FormState &state, float x, float y);

// Shows the rubber-band line from the press point for a moment and removes
// it again by drawing it twice in the inverting mode.
void mouseMove(FormState &state, Canvas &canvas, DrawingHost &host, float x, float y);

void mouseUp(FormState &state, float x, float y, double outerWidth, double outerHeight);

void doubleClick(FormState &state);

// How long the rubber band stays visible: grows with the square of
// `mouseDelay` (200 gives 20 ms) and never exceeds half a second.
std::chrono::microseconds rubberBandTime(std::int32_t mouseDelay);

void resetPlacement(FormState &state);

} // namespace mousesizing

// SPDX-License-Identifier: GPL-3.0-or-later
#include "mousesizing.h"

#include "layout.h"
#include "numbers.h"

#include <algorithm>
#include <cmath>

namespace mousesizing {

namespace {

// Marks the placement for a reset at the end of the drag.
constexpr std::int32_t resetMark = -1;

// The part of the window's height a dragged placement is measured against.
constexpr double heightMargin = 300;

} // namespace

void resetPlacement(FormState &state)
{
    state.prefs.placement = Placement{};
}

void mouseDown(FormState &state, float x, float y)
{
    if (state.drawingActive != 0)
        return;
    state.prefs.placement.drawLeftOffset = numbers::clampToInt32(x);
    state.prefs.placement.drawTopOffset = numbers::clampToInt32(y);
    state.sizingPressed = 1;
}

std::chrono::microseconds rubberBandTime(std::int32_t mouseDelay)
{
    // Rounded up, so that every delay above 0 shows the line for a moment.
    const double delay = mouseDelay;
    const double micros = std::min(std::ceil(0.5 * delay * delay), 500000.0);
    return std::chrono::microseconds(static_cast<std::int64_t>(micros));
}

void mouseMove(FormState &state, Canvas &canvas, DrawingHost &host, float x, float y)
{
    if (state.sizingPressed != 1 || state.drawingActive != 0)
        return;
    const int mode = canvas.drawMode();
    canvas.setDrawMode(rasterop::Invert);
    const auto fromX = static_cast<float>(state.prefs.placement.drawLeftOffset);
    const auto fromY = static_cast<float>(state.prefs.placement.drawTopOffset);
    canvas.line(fromX, fromY, x, y, state.foregroundColor);
    host.wait(rubberBandTime(state.prefs.mouseDelay));
    canvas.line(fromX, fromY, x, y, state.foregroundColor);
    canvas.setDrawMode(mode);
}

void mouseUp(FormState &state, float x, float y, double outerWidth, double outerHeight)
{
    Placement &placement = state.prefs.placement;
    if (state.drawingActive == 0 && state.sizingPressed == 1 && placement.drawLeftOffset >= 0) {
        state.sizingPressed = 0;
        const double dx = std::fabs(placement.drawLeftOffset - double(x));
        const double dy = std::fabs(placement.drawTopOffset - double(y));
        const double spanX = outerWidth - layout::panelStrip;
        const double spanY = outerHeight - heightMargin;
        // A window too small to measure a drag against resets like a click.
        if (dx <= 9 || dy <= 9 || spanX <= 0 || spanY <= 0) {
            placement.drawLeftOffset = resetMark;
        } else {
            placement.drawPartX = static_cast<float>(dx / spanX);
            placement.drawPartY = static_cast<float>(dy / spanY);
            if (x < placement.drawLeftOffset)
                placement.drawLeftOffset = numbers::clampToInt32(x);
            if (y < placement.drawTopOffset)
                placement.drawTopOffset = numbers::clampToInt32(y);
        }
    }
    if (placement.drawLeftOffset == resetMark) {
        state.sizingPressed = 0;
        resetPlacement(state);
    }
}

void doubleClick(FormState &state)
{
    state.prefs.placement.drawLeftOffset = resetMark;
}

} // namespace mousesizing

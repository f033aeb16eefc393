#include "mousesizing.h"

#include "numbers.h"

#include <algorithm>
#include <cmath>

namespace mousesizing {

void resetPlacement(FormState &state)
{
    state.drawLeftOffset = 50;
    state.drawTopOffset = 50;
    state.drawPartX = 1;
    state.drawPartY = 1;
}

void mouseDown(FormState &state, float x, float y)
{
    if (state.drawingActive != 0)
        return;
    state.drawLeftOffset = numbers::clampToInt32(x);
    state.drawTopOffset = numbers::clampToInt32(y);
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
    canvas.setDrawMode(6);
    const auto fromX = static_cast<float>(state.drawLeftOffset);
    const auto fromY = static_cast<float>(state.drawTopOffset);
    canvas.line(fromX, fromY, x, y, state.foregroundColor);
    host.wait(rubberBandTime(state.mouseDelay));
    canvas.line(fromX, fromY, x, y, state.foregroundColor);
    canvas.setDrawMode(mode);
}

void mouseUp(FormState &state, float x, float y, double outerWidth, double outerHeight)
{
    if (state.drawingActive == 0 && state.sizingPressed == 1 && state.drawLeftOffset >= 0) {
        state.sizingPressed = 0;
        const double dx = std::fabs(state.drawLeftOffset - double(x));
        const double dy = std::fabs(state.drawTopOffset - double(y));
        const double spanX = outerWidth - 2300;
        const double spanY = outerHeight - 300;
        // A window too small to measure a drag against resets like a click.
        if (dx <= 9 || dy <= 9 || spanX <= 0 || spanY <= 0) {
            state.drawLeftOffset = -1;
        } else {
            state.drawPartX = static_cast<float>(dx / spanX);
            state.drawPartY = static_cast<float>(dy / spanY);
            if (x < state.drawLeftOffset)
                state.drawLeftOffset = numbers::clampToInt32(x);
            if (y < state.drawTopOffset)
                state.drawTopOffset = numbers::clampToInt32(y);
        }
    }
    if (state.drawLeftOffset == -1) {
        state.sizingPressed = 0;
        resetPlacement(state);
    }
}

void doubleClick(FormState &state) { state.drawLeftOffset = -1; }

} // namespace mousesizing

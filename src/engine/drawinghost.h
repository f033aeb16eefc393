// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "parametertexts.h"

#include <chrono>
#include <cstdint>

// What the drawing run, auto run and mouse sizing need from the window.
class DrawingHost {
public:
    virtual ~DrawingHost() = default;

    virtual ParameterTexts parameterTexts() const = 0;
    virtual void emptyField(ParameterTexts::Index field) = 0;

    // "Draw" enabled or not.
    virtual void setDrawEnabled(bool enabled) = 0;
    // The AutoRun button shows "Stop Draw" and answers Esc while running.
    virtual void setRunning(bool running) = 0;
    // The Clean command, as its button runs it.
    virtual void clean() = 0;

    // The window's outer size and the panel's left edge and height, in twips.
    virtual double outerWidth() const = 0;
    virtual double outerHeight() const = 0;
    // Whether the progress bar below the panel is drawn at all.
    virtual bool showsProgressBar() const { return true; }
    virtual double panelLeft() const = 0;
    virtual double panelHeight() const = 0;

    // Called at each checkpoint with the counter reached, before the events
    // are handled: a host without a progress bar can show progress its own way.
    virtual void checkpointReached(std::int64_t) {}
    // Handles every pending event of the window.
    virtual void processEvents() = 0;
    // True when handling events never changes anything, so that a drawing
    // may compute its points ahead of the checkpoints.
    virtual bool idleBetweenCheckpoints() const { return false; }
    // Waits without handling events.
    virtual void wait(std::chrono::microseconds duration) = 0;
    // True once the program has been told to end: a run then stops at once
    // and touches nothing more.
    virtual bool programEnded() const = 0;
    // A drawing has ended, finished or stopped, and the state's lastRecipe
    // is its recipe; the window keeps it in its history.
    virtual void drawingDone() {}
};

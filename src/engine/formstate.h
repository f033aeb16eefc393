// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "drawingprefs.h"
#include "recipe.h"

#include <cstdint>
#include <optional>
#include <string>

// The window-wide state that the handlers share. Values the user sees
// (parameter texts, check boxes, geometry) live in the
// controls and the surface instead.
// The colour components are the ones the settings file keeps.
struct FormState : colors::PenAndBackground {
    std::int16_t drawingActive = 0;
    std::int16_t stopRequested = 0;
    std::int16_t autoRunActive = 0;
    std::int16_t sizingPressed = 0;
    std::int16_t focusedField = 0;

    colors::Color foregroundColor = 0;
    colors::Color backgroundColor = 0;

    double autoClean = 1;
    std::string autoRedraw = "0";
    std::int16_t frameRightOffset = 0;
    // The surface keeps the pen size and mode it draws with; the two here
    // are taken from it whenever the preferences are read as a whole (see
    // drawing::withCanvasPen).
    DrawingPrefs prefs;

    // The recipe of the last drawing started; none before the first.
    std::optional<Recipe> lastRecipe;
};

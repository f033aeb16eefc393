#pragma once

#include "colors.h"
#include "recipe.h"

#include <cstdint>
#include <optional>
#include <string>

// The window-wide state that the handlers share. Values the user sees
// (parameter texts, check boxes, pen properties, geometry) live in the
// controls and the surface instead.
struct FormState {
    std::int16_t drawingActive = 0;
    std::int16_t stopRequested = 0;
    std::int16_t autoRunActive = 0;
    std::int16_t sizingPressed = 0;
    std::int16_t focusedField = 0;

    colors::Color foregroundColor = 0;
    colors::Color backgroundColor = 0;
    int foreRed = 255;
    int foreGreen = 255;
    int foreBlue = 255;
    int backRed = 0;
    int backGreen = 0;
    int backBlue = 0;

    std::int16_t randomColors = 0;
    double autoClean = 1;
    std::string autoRedraw = "0";
    double stepSize = 100;
    float turns = 1;
    std::int16_t frameRightOffset = 0;
    std::int32_t drawLeftOffset = 50;
    std::int32_t drawTopOffset = 50;
    float drawPartX = 1;
    float drawPartY = 1;
    std::int32_t mouseDelay = 200;
    std::int32_t autoRunDelay = 0;

    // The recipe of the last drawing started; none before the first.
    std::optional<Recipe> lastRecipe;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "drawingprefs.h"

#include <cstdint>
#include <string>

// The 26 preferences of "voludef.txt", with the values the program starts
// with when there is no file. The window geometry has no fixed default: the
// window puts its own geometry here before the file is read.
struct Settings : colors::PenAndBackground {
    colors::Color frameBackColor = colors::black;
    colors::Color frameForeColor = colors::yellow;
    double autoClean = 1;
    bool autoCleanChecked = true; // the "AutoClean" box
    std::string autoRedraw = "0";
    bool autoRedrawChecked = false; // the "AutoRedraw" box
    // Step, turns, pen, mode, placement, random colours and the delays.
    DrawingPrefs prefs;
    float windowHeight = 0; // twips, like the other three
    float windowTop = 0;
    float windowWidth = 0;
    float windowLeft = 0;
    std::int16_t frameRightOffset = 0;

    bool operator==(const Settings &) const = default;
};

// The screen's size in twips.
struct ScreenSize {
    double width = 0;
    double height = 0;
};

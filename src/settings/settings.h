#pragma once

#include "colors.h"
#include "drawingprefs.h"

#include <cstdint>
#include <string>

// The 26 preferences of "voludef.txt", with the values the program starts
// with when there is no file. The window geometry has no fixed default: the
// window puts its own geometry here before the file is read.
struct Settings {
    // The colour components are plain ints: splitting a 32-bit colour for
    // writing can give a blue beyond the 16-bit range.
    int foreRed = 255;
    int foreGreen = 255;
    int foreBlue = 255;
    int backRed = 0;
    int backGreen = 0;
    int backBlue = 0;
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

    // The pen and background colours that the components form; a component
    // above 255 counts as 255.
    colors::Color foregroundColor() const;
    colors::Color backgroundColor() const;

    // Splits the two colours into the components that the file holds.
    void setColors(colors::Color foreground, colors::Color background);

    bool operator==(const Settings &) const = default;
};

// The screen's size in twips.
struct ScreenSize {
    double width = 0;
    double height = 0;
};

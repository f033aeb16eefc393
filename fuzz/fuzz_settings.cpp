// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any text as the settings file, writes what it read and reads that
// back: the second reading must restore what the first one gave, to the
// precision that the file carries.
#include "fuzzcheck.h"
#include "settings.h"
#include "settingstext.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// A 1920 by 1080 screen and a window placed on it, as before the file is read.
constexpr ScreenSize screen{28800, 16200};

Settings windowBeforeReading()
{
    Settings s;
    s.windowHeight = 7500;
    s.windowTop = 1200;
    s.windowWidth = 9000;
    s.windowLeft = 1500;
    return s;
}

// Single-precision values are written with 7 significant digits, doubles
// with 15; the value read back lies within half a unit of the last digit
// written plus the rounding to the value's own precision.
bool close(double original, double restored, double relative)
{
    return std::fabs(restored - original) <= relative * std::fabs(original);
}

// Every value that the reader accepts is one that the window can carry out.
void checkAccepted(const Settings &s)
{
    for (const int component : {s.foreRed, s.foreGreen, s.foreBlue, s.backRed, s.backGreen, s.backBlue})
        check(component >= 0 && component <= 32767);
    check(s.autoCleanChecked || s.autoClean == 0);
    check(std::isfinite(s.autoClean));
    check(s.prefs.stepSize > 0 && std::isfinite(s.prefs.stepSize));
    check(s.prefs.turns > 0 && std::isfinite(s.prefs.turns));
    check(s.prefs.penSize >= 1 && s.prefs.penSize <= 32766);
    check(s.prefs.drawMode >= 1 && s.prefs.drawMode <= 16);
    for (const float size : {s.windowHeight, s.windowWidth})
        check(size >= 1 && size < 2147483648.0f);
    for (const float position : {s.windowTop, s.windowLeft})
        check(std::fabs(position) < 2147483648.0f);
    check(std::isfinite(s.prefs.placement.drawPartX) && std::isfinite(s.prefs.placement.drawPartY));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    Settings first = windowBeforeReading();
    settingstext::read(input, first, screen);
    checkAccepted(first);

    const std::string written = settingstext::write(first, screen);
    Settings second = windowBeforeReading();
    settingstext::read(written, second, screen);
    checkAccepted(second);

    // The file holds the check box states, not the values behind them.
    check(second.autoCleanChecked == first.autoCleanChecked);
    check(second.autoClean == (first.autoCleanChecked ? 1 : 0));
    check(second.autoRedrawChecked == first.autoRedrawChecked);
    check(second.autoRedraw == (first.autoRedrawChecked ? "1" : "0"));
    check(close(first.prefs.stepSize, second.prefs.stepSize, 1e-14));
    // The values written in single precision.
    const auto singles = [](Settings &s) {
        return std::array<float *, 7>{&s.prefs.turns,
                                      &s.windowHeight,
                                      &s.windowTop,
                                      &s.windowWidth,
                                      &s.windowLeft,
                                      &s.prefs.placement.drawPartX,
                                      &s.prefs.placement.drawPartY};
    };
    const auto firstSingles = singles(first);
    const auto secondSingles = singles(second);
    for (std::size_t i = 0; i < firstSingles.size(); ++i)
        check(close(*firstSingles[i], *secondSingles[i], 1e-6));

    // Everything else comes back exactly.
    Settings expected = first;
    expected.autoClean = second.autoClean;
    expected.autoRedraw = second.autoRedraw;
    expected.prefs.stepSize = second.prefs.stepSize;
    const auto expectedSingles = singles(expected);
    for (std::size_t i = 0; i < expectedSingles.size(); ++i)
        *expectedSingles[i] = *secondSingles[i];
    check(second == expected);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings.h"

#include <string>
#include <string_view>
#include <vector>

// The text of "voludef.txt": 26 lines, each a value followed by a comment
// that names it, so that the file can be edited by hand. One table holds
// the lines: the setting each stands for, its rule and its comment.
namespace settingstext
{

inline constexpr int lineCount = 26;

// Applies the file's values to `settings` line by line, in file order. Values
// that are blank, out of a line's range or cannot be carried out leave the
// setting as it was; lines missing from a short file do the same. `settings`
// must already hold the window's geometry, which some lines build on.
// Returns the lines that held a value the line's rule refused.
std::vector<int> read(std::string_view fileText, Settings &settings, ScreenSize screen);

// The file's text for `settings`, every line ended by CR LF.
std::string write(const Settings &settings, ScreenSize screen);

// The line that holds the setting `name` (as Settings and DrawingPrefs name
// it: "stepSize", "turns", "penSize", ...); 0 for no such setting.
int lineNamed(std::string_view name);

// What line `line`'s rule takes, in words ("above 0", "from 1 to 16"); empty
// where any number the setting can hold is taken.
std::string_view rangeOf(int line);

// Applies `text` as the value of line `line` would be read from the file.
// Returns false when the value was blank or refused, leaving the setting.
bool applyText(int line, std::string_view text, Settings &settings, ScreenSize screen);

// Applies a number as the value of line `line`; false when refused.
bool applyNumber(int line, double value, Settings &settings, ScreenSize screen);

} // namespace settingstext

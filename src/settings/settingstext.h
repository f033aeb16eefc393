#pragma once

#include "settings.h"

#include <string>
#include <string_view>

// The text of "voludef.txt": 26 lines, each a value followed by a comment
// that names it, so that the file can be edited by hand.
namespace settingstext
{

inline constexpr int lineCount = 26;

// Applies the file's values to `settings` line by line, in file order. Values
// that are blank, out of a line's range or cannot be carried out leave the
// setting as it was; lines missing from a short file do the same. `settings`
// must already hold the window's geometry, which some lines build on.
void read(std::string_view fileText, Settings &settings, ScreenSize screen);

// The file's text for `settings`, every line ended by CR LF.
std::string write(const Settings &settings, ScreenSize screen);

} // namespace settingstext

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The window, a module that `volutra` loads only when a window is asked for.
namespace windowmodule {

inline constexpr const char *fileName = "volutra-window.so";

// Loads the module and runs its window with the program's arguments, opening
// `file` (empty for none); returns the window's exit code. When the module
// does not load, writes why on standard error and returns 1.
int runWindow(int argc, char *argv[], const QString &file);

} // namespace windowmodule

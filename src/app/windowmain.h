// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window program, built as a module of its own that `volutra` loads
// only when a window is asked for: the command line, the help and the render
// command start without the libraries of widgets, images and printing.
//
// Runs the window with the program's arguments, opening `file` (UTF-8, empty
// for none) once shown; returns the exit code.
extern "C" [[gnu::visibility("default")]] int volutraWindowMain(int argc, char *argv[], const char *file);

// The name of the entry above, looked up when the module is loaded.
inline constexpr const char *windowEntryName = "volutraWindowMain";

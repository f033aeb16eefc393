// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where `volutra` finds its window module, and loading it.
namespace windowmodule {

inline constexpr const char *fileName = "volutra-window.so";

// The places tried in order: beside the program (the build tree, a portable
// copy), then `fromProgram`, a folder relative to the program's folder where
// an installed tree keeps it, so a moved prefix still finds it.
QStringList candidates(const QString &programFolder, const QString &fromProgram);

// Loads the module from the first candidate that loads and runs its window;
// returns the window's exit code. When none loads, writes why on standard
// error and returns 1.
int runWindow(int argc, char *argv[], const QString &file);

} // namespace windowmodule

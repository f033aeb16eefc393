// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program's own text files live.

// "voludef.txt" beside the program in the build tree or a portable copy (a
// writable folder with readme.txt beside the program), else in the user's
// configuration folder for the program (~/.config/Volutra).
QString settingsFilePath();

// Creates the folder of settingsFilePath() if it is missing, so that the file
// can be written; false when that fails.
bool makeSettingsFolder();

// The history of drawings: "history" in the user's data folder for the
// program ($XDG_DATA_HOME/Volutra, ~/.local/share/Volutra by default). The
// folder is created when missing.
QString historyFilePath();

// The first "readme.txt" found beside the program, in the installed tree's
// documentation folder relative to the program, or in the standard data
// folders; the path beside the program when there is none.
QString helpFilePath();

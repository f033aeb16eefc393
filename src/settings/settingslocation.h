#pragma once

#include <QString>

// Where the program's own text files live.

// "voludef.txt" in the program's folder when that folder is writable, else in
// the user's configuration folder for the program.
QString settingsFilePath();

// Creates the folder of settingsFilePath() if it is missing, so that the file
// can be written; false when that fails.
bool makeSettingsFolder();

// "readme.txt" beside the program, or the installed copy when there is none.
QString helpFilePath();

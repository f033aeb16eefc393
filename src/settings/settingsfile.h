// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "settings.h"

#include <QString>

#include <optional>

// Reading and writing "voludef.txt" on disk.
namespace settingsfile
{

// Reading stops here: far more than 26 lines need, and a huge file at the
// settings path is never loaded whole.
inline constexpr qint64 maxReadBytes = 1 << 20;

// Applies the file at `path` to `settings` (see settingstext::read). Returns
// false, changing nothing, when the file cannot be opened or read.
bool readFile(const QString &path, Settings &settings, ScreenSize screen);

// Writes `settings` to `path`. The old file is replaced only by a complete new
// one: on any failure it stays as it was, and the failure is returned.
std::optional<Failure> writeFile(const QString &path, const Settings &settings, ScreenSize screen);

} // namespace settingsfile

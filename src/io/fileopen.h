// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>

namespace fileopen {

// Opens `file` (named already) like QFile::open, except that a named pipe is
// opened without waiting for its other end: a pipe that nobody writes into
// reads as an empty file, and one that nobody reads fails to open for writing
// (ENXIO). On failure errno tells why, as after QFile::open.
bool open(QFile &file, QIODevice::OpenMode mode);

} // namespace fileopen

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace safesave {

// Writes `bytes` as the whole content of the file at `path`. A regular file
// is replaced only once the new content is complete, so that a failure at any
// point leaves the old file as it was. A device or pipe (such as /dev/full)
// cannot be replaced and is written in place. The failure carries the error
// number and description the program shows.
std::optional<Failure> writeFile(const QString &path, const QByteArray &bytes);

// Writes a file of any size piece by piece, with the same guarantees: `write`
// puts the content into the device and returns false as soon as one of its
// writes fails. Nothing of the content need be held in memory at once.
using ContentWriter = std::function<bool(QIODevice &device)>;
std::optional<Failure> writeFileWith(const QString &path, const ContentWriter &write);

} // namespace safesave

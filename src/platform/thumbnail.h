// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawingsurface.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// The small picture of a figure that the history shows.
namespace thumbnail {

// The largest thumbnail; the figure keeps its proportions within it.
inline constexpr QSize bounds{120, 96};

// A copy of what the surface's screen shows: quick to take when a drawing
// ends, for png() to scale down later on any thread.
QImage picture(const DrawingSurface &surface);

// `picture` scaled down into `bounds`, as PNG bytes.
QByteArray png(const QImage &picture);

} // namespace thumbnail

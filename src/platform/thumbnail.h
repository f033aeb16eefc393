#pragma once

#include "drawingsurface.h"

#include <QByteArray>
#include <QSize>

// The small picture of a figure that the history shows.
namespace thumbnail {

// The largest thumbnail; the figure keeps its proportions within it.
inline constexpr QSize bounds{120, 96};

// What the surface's screen shows, scaled down into `bounds`, as PNG bytes.
QByteArray png(const DrawingSurface &surface);

} // namespace thumbnail

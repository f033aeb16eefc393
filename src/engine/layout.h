// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's fixed layout in twips, which the drawing and the mouse share
// with the window.
namespace layout {

// The strip at the right of the window that the panel stands in: the panel's
// left edge lies this far from the window's right edge (less the frame's
// offset), and a dragged placement is measured against the rest.
inline constexpr double panelStrip = 2300;

// The horizontal room a figure's X scale leaves unused.
inline constexpr double figureMargin = 2000;

// How far below the panel the progress bar runs, and how long a line clears
// it.
inline constexpr double progressBarBelowPanel = 80;
inline constexpr double progressBarLength = panelStrip;

} // namespace layout

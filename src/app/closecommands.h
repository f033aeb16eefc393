// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controlpanel.h"
#include "drawingsurface.h"
#include "formstate.h"

// The hidden commands typed into the first field before "Close" is pressed:
// "!" takes settings from the other fields and "col" the colour components.
// Fields left empty change nothing; values the window cannot carry out (a
// pen width, mode or line style out of range after rounding, a number too
// large for its integer, a negative colour component) are skipped too.
namespace closecommands {

void settingsFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface);

// Sets the components, rebuilds both colours from all six and clears the
// surface to the new background colour.
void coloursFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface);

} // namespace closecommands

// SPDX-License-Identifier: GPL-3.0-or-later
#include "figurepainter.h"

// The painting module: the figure painter in a library of its own, which the
// headless renderer loads only for the pictures that need Qt's painter.
extern "C" Q_DECL_EXPORT const figurepainter::Functions *volutra_paint_functions()
{
    return &figurepainter::functions();
}

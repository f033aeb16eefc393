// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "figurepainter.h"

#include <QString>

// Where the figure painter comes from. The window links it; the headless
// renderer, linked to Qt's core only, loads it from the painting module
// (volutra-paint.so) the first time a smooth picture or a PDF drawing asks
// for it, so that other renders start without Qt's image code.
namespace paintloader {

// The name of the painting module.
inline constexpr const char *moduleName = "volutra-paint.so";

// Makes the program use the painter it links.
void use(const figurepainter::Functions &functions);

// The painter: the program's own, else the module's, looked for beside the
// program and then in the installed library folder. Null, with `why` set,
// when there is none.
const figurepainter::Functions *painter(QString &why);

} // namespace paintloader

// SPDX-License-Identifier: GPL-3.0-or-later
#include "paintloader.h"

#include "programmodule.h"

namespace paintloader {

namespace {

const figurepainter::Functions *linked = nullptr;

} // namespace

void use(const figurepainter::Functions &functions)
{
    linked = &functions;
}

const figurepainter::Functions *painter(QString &why)
{
    if (linked)
        return linked;
    using Entry = const figurepainter::Functions *(*)();
    const auto entry = reinterpret_cast<Entry>(programmodule::load(moduleName, "volutra_paint_functions", why));
    if (entry)
        linked = entry();
    return linked;
}

} // namespace paintloader

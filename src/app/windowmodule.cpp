// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowmodule.h"

#include "programmodule.h"
#include "windowmain.h"

#include <cstdio>

namespace windowmodule {

int runWindow(int argc, char *argv[], const QString &file)
{
    using Entry = int (*)(int, char **, const char *);
    QString why;
    if (const auto entry = reinterpret_cast<Entry>(programmodule::load(fileName, windowEntryName, why)))
        return entry(argc, argv, file.toUtf8().constData());
    std::fputs(("volutra: cannot open the window: " + why + '\n').toLocal8Bit().constData(), stderr);
    return 1;
}

} // namespace windowmodule

// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowmodule.h"

#include "windowmain.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include <dlfcn.h>

namespace windowmodule {

QStringList candidates(const QString &programFolder, const QString &fromProgram)
{
    const QDir folder(programFolder);
    QStringList places{folder.filePath(fileName)};
    if (!fromProgram.isEmpty())
        places << QDir::cleanPath(folder.filePath(fromProgram + '/' + fileName));
    places.removeDuplicates();
    return places;
}

int runWindow(int argc, char *argv[], const QString &file)
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    QString reasons;
    for (const QString &place :
         candidates(QFileInfo(program).path(), QStringLiteral(VOLUTRA_WINDOW_FROM_PROGRAM))) {
        if (!QFileInfo::exists(place))
            continue;
        void *module = ::dlopen(QFile::encodeName(place).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            reasons += QString::fromLocal8Bit(::dlerror()) + '\n';
            continue;
        }
        using Entry = int (*)(int, char **, const char *);
        if (auto entry = reinterpret_cast<Entry>(::dlsym(module, windowEntryName)))
            return entry(argc, argv, file.toUtf8().constData());
        reasons += place + ": no window in this module\n";
    }
    if (reasons.isEmpty())
        reasons =
            QStringLiteral("%1 was not found beside the program or in its library folder\n").arg(fileName);
    std::fputs(("volutra: cannot open the window: " + reasons).toLocal8Bit().constData(), stderr);
    return 1;
}

} // namespace windowmodule

// SPDX-License-Identifier: GPL-3.0-or-later
#include "programmodule.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace programmodule {

QStringList places(const QString &programFolder, const QString &fileName, const QString &fromProgram)
{
    const QDir folder(programFolder);
    QStringList found{folder.filePath(fileName), QDir::cleanPath(folder.filePath("../" + fileName))};
    if (!fromProgram.isEmpty())
        found << QDir::cleanPath(folder.filePath(fromProgram + '/' + fileName));
    found.removeDuplicates();
    return found;
}

void *load(const QString &fileName, const char *entry, QString &why)
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QStringList tried =
        places(QFileInfo(program).path(), fileName, QStringLiteral(VOLUTRA_MODULES_FROM_PROGRAM));
    for (const QString &place : tried) {
        if (!QFileInfo::exists(place))
            continue;
        void *module = ::dlopen(QFile::encodeName(place).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = QStringLiteral("cannot load %1: %2").arg(place, QString::fromLocal8Bit(::dlerror()));
            return nullptr;
        }
        if (void *function = ::dlsym(module, entry))
            return function;
        why = QStringLiteral("cannot load %1: it is not this program's module").arg(place);
        return nullptr;
    }
    why = QStringLiteral("%1 is missing (looked for %2)").arg(fileName, tried.join(", "));
    return nullptr;
}

} // namespace programmodule

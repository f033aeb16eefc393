// SPDX-License-Identifier: GPL-3.0-or-later
#include "paintloader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace paintloader {

namespace {

const figurepainter::Functions *linked = nullptr;

// The module's places: beside the program (the build tree), then the
// installed library folder seen from the program's folder.
QStringList places()
{
    const QString program = QFileInfo("/proc/self/exe").canonicalFilePath();
    const QDir folder = QFileInfo(program).dir();
    return {folder.filePath(moduleName), QDir::cleanPath(folder.filePath(VOLUTRA_PAINT_FROM_PROGRAM))};
}

} // namespace

void use(const figurepainter::Functions &functions)
{
    linked = &functions;
}

const figurepainter::Functions *painter(QString &why)
{
    if (linked)
        return linked;
    QStringList tried;
    for (const QString &place : places()) {
        if (!QFileInfo::exists(place)) {
            tried << place;
            continue;
        }
        void *module = ::dlopen(QFile::encodeName(place).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            why = QString("cannot load the painting module %1: %2")
                      .arg(place, QString::fromLocal8Bit(::dlerror()));
            return nullptr;
        }
        using Entry = const figurepainter::Functions *(*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, "volutra_paint_functions"));
        if (!entry) {
            why = QString("cannot load the painting module %1: it offers no painter").arg(place);
            return nullptr;
        }
        linked = entry();
        return linked;
    }
    why = QString("the painting module is missing (looked for %1)").arg(tried.join(" and "));
    return nullptr;
}

} // namespace paintloader

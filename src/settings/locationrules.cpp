// SPDX-License-Identifier: GPL-3.0-or-later
#include "locationrules.h"

#include <QDir>

namespace locationrules {

namespace {

const QString helpFileName = QStringLiteral("readme.txt");

} // namespace

QString settingsFolder(const ProgramFolder &program, const QString &configFolder)
{
    if (program.hasSettingsFile || (program.hasHelpText && program.writable))
        return program.path;
    return configFolder;
}

QStringList helpFileCandidates(const QString &programFolder, const QString &helpFromProgram,
                               const QStringList &dataFolders)
{
    const QDir program(programFolder);
    QStringList candidates{program.filePath(helpFileName),
                           QDir::cleanPath(program.filePath(helpFromProgram + '/' + helpFileName))};
    for (const QString &folder : dataFolders)
        candidates << QDir(folder).filePath(QStringLiteral("doc/volutra/") + helpFileName);
    candidates.removeDuplicates();
    return candidates;
}

} // namespace locationrules

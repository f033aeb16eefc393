// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingslocation.h"
#include "locationrules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString settingsFileName = QStringLiteral("voludef.txt");

QString settingsFolder()
{
    locationrules::ProgramFolder program;
    program.path = QCoreApplication::applicationDirPath();
    program.hasHelpText = QFileInfo::exists(QDir(program.path).filePath(QStringLiteral("readme.txt")));
    program.hasSettingsFile = QFileInfo(QDir(program.path).filePath(settingsFileName)).isFile();
    program.writable = QFileInfo(program.path).isWritable();
    return locationrules::settingsFolder(program,
                                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

} // namespace

QString settingsFilePath()
{
    return QDir(settingsFolder()).filePath(settingsFileName);
}

bool makeSettingsFolder()
{
    return QDir().mkpath(settingsFolder());
}

QString helpFilePath()
{
    const QStringList candidates = locationrules::helpFileCandidates(
        QCoreApplication::applicationDirPath(), QStringLiteral(VOLUTRA_HELP_FROM_PROGRAM),
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
    for (const QString &candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return candidates.first();
}

QString historyFilePath()
{
    const QString folder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("Volutra");
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("history"));
}

#include "settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

const QString settingsFileName = QStringLiteral("voludef.txt");
const QString helpFileName = QStringLiteral("readme.txt");

QString settingsFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(programFolder).isWritable())
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
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
    const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath(helpFileName);
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    const QString installed = QStandardPaths::locate(QStandardPaths::AppDataLocation, helpFileName);
    return installed.isEmpty() ? besideProgram : installed;
}

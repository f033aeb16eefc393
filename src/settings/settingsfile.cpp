// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsfile.h"

#include "fileopen.h"
#include "safesave.h"
#include "settingstext.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <string_view>

namespace settingsfile {

bool readFile(const QString &path, Settings &settings, ScreenSize screen)
{
    QFile file(path);
    // A pipe that nobody writes into reads as empty instead of holding up
    // the start.
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(maxReadBytes);
    if (file.error() != QFileDevice::NoError)
        return false;
    settingstext::read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), settings,
                       screen);
    return true;
}

std::optional<Failure> writeFile(const QString &path, const Settings &settings, ScreenSize screen)
{
    const QFileInfo target(path);
    if (target.exists() && target.isFile() && !target.isWritable()) {
        const QFile file(path);
        return failures::fromFile(file, path, EACCES);
    }
    return safesave::writeFile(path, QByteArray::fromStdString(settingstext::write(settings, screen)));
}

} // namespace settingsfile

#include "settingsfile.h"

#include "settingstext.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <string_view>

namespace settingsfile
{

namespace
{

// Opens `file` for writing and writes `bytes`, or tells why that failed. The
// device is unbuffered so that a failing write shows at once, with its errno.
std::optional<Failure> openAndWrite(QFileDevice &file, const QString &path, const QByteArray &bytes)
{
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

} // namespace

bool readFile(const QString &path, Settings &settings, ScreenSize screen)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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
    const QByteArray bytes = QByteArray::fromStdString(settingstext::write(settings, screen));
    const QFileInfo target(path);
    if (target.isDir()) {
        const QFile file(path);
        return failures::fromFile(file, path, EISDIR);
    }
    if (target.exists() && !target.isWritable()) {
        const QFile file(path);
        return failures::fromFile(file, path, EACCES);
    }
    // A device or pipe cannot be replaced by a new file (and must not be:
    // renaming over /dev/full would remove the device), so it is written in
    // place. There is no old content to keep.
    if (target.exists() && !target.isFile()) {
        QFile file(path);
        return openAndWrite(file, path, bytes);
    }
    QSaveFile file(path);
    if (const auto failure = openAndWrite(file, path, bytes))
        return failure;
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

} // namespace settingsfile

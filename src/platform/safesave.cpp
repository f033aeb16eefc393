#include "safesave.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace safesave {

namespace {

// The device is unbuffered so that a failing write shows at once, with its
// errno.
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

std::optional<Failure> writeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    if (target.isDir()) {
        const QFile file(path);
        return failures::fromFile(file, path, EISDIR);
    }
    // Renaming a new file over a device would remove the device.
    if (target.exists() && !target.isFile()) {
        QFile file(path);
        return openAndWrite(file, path, bytes);
    }
    QSaveFile file(path);
    // Writing straight into the old file could leave half a file behind.
    file.setDirectWriteFallback(false);
    if (const auto failure = openAndWrite(file, path, bytes))
        return failure;
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

} // namespace safesave

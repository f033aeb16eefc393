#include "safesave.h"

#include "fileopen.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace safesave {

namespace {

// The device is unbuffered so that a failing write shows at once, with its
// errno.
constexpr QIODevice::OpenMode writeMode = QIODevice::WriteOnly | QIODevice::Unbuffered;

// Writes the content into `file`; `opened` is what opening it returned, errno
// still standing as the opening left it.
std::optional<Failure> writeAll(QFileDevice &file, bool opened, const QString &path,
                                const ContentWriter &write)
{
    if (!opened) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    errno = 0;
    if (!write(file)) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

} // namespace

std::optional<Failure> writeFile(const QString &path, const QByteArray &bytes)
{
    return writeFileWith(path, [&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); });
}

std::optional<Failure> writeFileWith(const QString &path, const ContentWriter &write)
{
    const QFileInfo target(path);
    if (target.isDir()) {
        const QFile file(path);
        return failures::fromFile(file, path, EISDIR);
    }
    // Renaming a new file over a device would remove the device.
    // A pipe that nobody reads fails at once instead of waiting for a reader.
    if (target.exists() && !target.isFile()) {
        QFile file(path);
        errno = 0;
        const bool opened = fileopen::open(file, writeMode);
        return writeAll(file, opened, path, write);
    }
    // With no old file there is nothing to keep: the content goes straight
    // into a new file, which a failure removes again. That spares a new
    // picture the temporary file, its rename and the wait for the disk.
    if (!target.exists() && !target.isSymLink()) {
        QFile file(path);
        errno = 0;
        const bool opened = file.open(writeMode | QIODevice::NewOnly);
        const auto failure = writeAll(file, opened, path, write);
        if (failure && opened)
            file.remove();
        return failure;
    }
    QSaveFile file(path);
    // Writing straight into the old file could leave half a file behind.
    file.setDirectWriteFallback(false);
    errno = 0;
    const bool opened = file.open(writeMode);
    if (const auto failure = writeAll(file, opened, path, write))
        return failure;
    errno = 0;
    if (!file.commit()) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

} // namespace safesave

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileopen.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileopen {

bool open(QFile &file, QIODevice::OpenMode mode)
{
    const QByteArray name = QFile::encodeName(file.fileName());
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return file.open(mode);
    const bool reads = mode.testFlag(QIODevice::ReadOnly);
    const bool writes = mode.testFlag(QIODevice::WriteOnly);
    const int access = reads && writes ? O_RDWR : (writes ? O_WRONLY : O_RDONLY);
    const int fd = ::open(name.constData(), access | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Once open, the pipe is read and written like any file, waiting for data.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    return file.open(fd, mode, QFileDevice::AutoCloseHandle);
}

} // namespace fileopen

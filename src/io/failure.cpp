// SPDX-License-Identifier: GPL-3.0-or-later
#include "failure.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace failures {

QString describe(int number)
{
    switch (number) {
    case Overflow: return QStringLiteral("Overflow");
    case OutOfMemory: return QStringLiteral("Out of memory");
    case BadFileName: return QStringLiteral("Bad file name or number");
    case FileNotFound: return QStringLiteral("File not found");
    case DeviceError: return QStringLiteral("Device I/O error");
    case DiskFull: return QStringLiteral("Disk full");
    case PastEndOfFile: return QStringLiteral("Input past end of file");
    case PermissionDenied: return QStringLiteral("Permission denied");
    case AccessError: return QStringLiteral("Path/File access error");
    case PathNotFound: return QStringLiteral("Path not found");
    case InvalidPicture: return QStringLiteral("Invalid picture");
    case PrinterError: return QStringLiteral("Printer error");
    case Cancelled: return QStringLiteral("Cancel was selected.");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

Failure make(int number)
{
    return {number, describe(number)};
}

Failure fromFile(const QFileDevice &file, const QString &path, int systemError)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return make(BadFileName);
    if (!info.absoluteDir().exists())
        return make(PathNotFound);
    switch (systemError) {
    case ENOENT: return make(FileNotFound);
    case EACCES:
    case EPERM:
    case EROFS: return make(PermissionDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return make(DiskFull);
    case ENAMETOOLONG:
    case EINVAL: return make(BadFileName);
    case EISDIR: return make(AccessError);
    case EIO: return make(DeviceError);
    default: break;
    }
    switch (file.error()) {
    case QFileDevice::OpenError: return info.exists() ? make(AccessError) : make(FileNotFound);
    case QFileDevice::PermissionsError: return make(PermissionDenied);
    case QFileDevice::ResourceError: return make(DiskFull);
    case QFileDevice::ReadError:
    case QFileDevice::WriteError: return make(DeviceError);
    default: return make(AccessError);
    }
}

QString numberWithSign(int number)
{
    return number >= 0 ? QStringLiteral(" %1").arg(number) : QString::number(number);
}

} // namespace failures

// SPDX-License-Identifier: GPL-3.0-or-later
#include "safesave.h"

#include "fileopen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safesave {

namespace {

// The device is unbuffered so that a failing write shows at once, with its
// errno.
constexpr QIODevice::OpenMode writeMode = QIODevice::WriteOnly | QIODevice::Unbuffered;

// The hidden name a complete file waits under, for the moment before it is
// renamed over the old one, or while it is written where the folder cannot
// hold a file without a name. The process id tells a later save whether its
// writer is gone.
QString hiddenName(const QString &name)
{
    return QString(".%1.volutra-%2.tmp").arg(name).arg(::getpid());
}

// Removes the hidden files that writers killed in the middle of a save left
// in `folder`: those whose process is gone.
void removeLeftovers(const QDir &folder)
{
    static const QRegularExpression leftover("^\\..*\\.volutra-(\\d+)\\.tmp$");
    for (const QString &name : folder.entryList({".*.volutra-*.tmp"}, QDir::Files | QDir::Hidden)) {
        const auto match = leftover.match(name);
        if (!match.hasMatch())
            continue;
        const pid_t pid = static_cast<pid_t>(match.captured(1).toLongLong());
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(folder.filePath(name));
    }
}

// Whether `path` names a descriptor that is already open, such as standard
// output: it cannot be replaced, only written.
bool namesOpenDescriptor(const QString &path)
{
    return path.startsWith("/proc/self/fd/") || path.startsWith("/dev/fd/") || path == "/dev/stdout";
}

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

Failure systemFailure(const QString &path, int error)
{
    const QFile file(path);
    return failures::fromFile(file, path, error);
}

// SIGINT and SIGTERM wait while a finished file takes its name, so that a
// stop leaves either the old file or the new one, and no hidden one.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        ::sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

private:
    sigset_t before_;
};

// A new file with no name yet in the folder of `target`; it gets the
// target's name only once complete, so a writer killed at any moment leaves
// nothing behind. Where the file system cannot make a file without a name,
// it is written under a hidden name instead.
class PendingFile {
public:
    explicit PendingFile(const QString &target) : target_(target)
    {
        const QFileInfo info(target);
        folder_ = info.absolutePath();
        hidden_ = QDir(folder_).filePath(hiddenName(info.fileName()));
        fd_ = ::open(QFile::encodeName(folder_).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            fd_ =
                ::open(QFile::encodeName(hidden_).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            named_ = fd_ >= 0;
        }
        error_ = fd_ < 0 ? errno : 0;
    }
    ~PendingFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (named_)
            ::unlink(QFile::encodeName(hidden_).constData());
    }
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;

    int fd() const { return fd_; }
    int error() const { return error_; }

    // Gives the complete file the target's name, replacing an old file at
    // once; returns errno, 0 when done.
    int place(bool replaces)
    {
        if (replaces && ::fsync(fd_) != 0)
            return errno;
        const SignalsHeld held;
        const QByteArray target = QFile::encodeName(target_);
        const QByteArray hidden = QFile::encodeName(hidden_);
        if (!named_) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
            // A new name is taken in one step; an old file is replaced by a
            // rename, which needs a name to rename from.
            if (!replaces &&
                ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0)
                return 0;
            if (errno != EEXIST && !replaces)
                return errno;
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, hidden.constData(), AT_SYMLINK_FOLLOW) != 0)
                return errno;
            named_ = true;
        }
        if (::rename(hidden.constData(), target.constData()) != 0)
            return errno;
        named_ = false;
        return 0;
    }

private:
    QString target_;
    QString folder_;
    QString hidden_;
    int fd_ = -1;
    int error_ = 0;
    bool named_ = false;
};

} // namespace

std::optional<Failure> writeFile(const QString &path, const QByteArray &bytes)
{
    return writeFileWith(path, [&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); });
}

std::optional<Failure> writeFileWith(const QString &path, const ContentWriter &write)
{
    QFileInfo target(path);
    if (target.isDir())
        return systemFailure(path, EISDIR);
    // Renaming a new file over a device would remove the device.
    // A pipe that nobody reads fails at once instead of waiting for a reader.
    if (namesOpenDescriptor(path) || (target.exists() && !target.isFile())) {
        QFile file(path);
        errno = 0;
        const bool opened = fileopen::open(file, writeMode);
        return writeAll(file, opened, path, write);
    }
    // A link stays a link: the file it points to is replaced.
    QString destination = path;
    if (target.isSymLink()) {
        destination = target.symLinkTarget();
        target = QFileInfo(destination);
    }
    if (!target.absoluteDir().exists())
        return systemFailure(path, ENOENT);
    removeLeftovers(target.absoluteDir());
    const bool replaces = target.exists();
    PendingFile pending(destination);
    if (pending.fd() < 0)
        return systemFailure(path, pending.error());
    // The new file keeps the permissions of the one it replaces.
    struct stat old = {};
    if (replaces && ::stat(QFile::encodeName(destination).constData(), &old) == 0)
        ::fchmod(pending.fd(), old.st_mode & 07777);
    QFile file;
    errno = 0;
    const bool opened = file.open(pending.fd(), writeMode, QFileDevice::DontCloseHandle);
    if (const auto failure = writeAll(file, opened, path, write))
        return failure;
    file.close();
    if (const int error = pending.place(replaces))
        return systemFailure(path, error);
    return std::nullopt;
}

} // namespace safesave

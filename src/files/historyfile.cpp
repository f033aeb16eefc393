// SPDX-License-Identifier: GPL-3.0-or-later
#include "historyfile.h"

#include "safesave.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace historyfile {

namespace {

constexpr char marker[] = "\xabVhR";
constexpr qsizetype markerSize = 4;
// Marker, length and checksum.
constexpr qsizetype frameSize = markerSize + 4 + 8;
constexpr qsizetype headerSize = sizeof header - 1;

// FNV-1a: quick, and any cut or flipped byte changes it.
std::uint64_t checksum(const char *data, qsizetype size)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

template <typename T> void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray framed(const QByteArray &body)
{
    QByteArray out;
    out.reserve(frameSize + body.size());
    out.append(marker, markerSize);
    put<std::uint32_t>(out, static_cast<std::uint32_t>(body.size()));
    put<std::uint64_t>(out, checksum(body.constData(), body.size()));
    return out + body;
}

// Reads the body of one record from front to back.
class Reader {
public:
    Reader(const char *data, qsizetype size) : data_(data), size_(size) {}
    template <typename T> bool get(T &value)
    {
        if (size_ - at_ < qsizetype(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(data_ + at_);
        at_ += sizeof(T);
        return true;
    }
    bool bytes(QByteArray &value)
    {
        std::uint32_t size = 0;
        if (!get(size) || size_ - at_ < qsizetype(size))
            return false;
        value = QByteArray(data_ + at_, size);
        at_ += size;
        return true;
    }
    bool atEnd() const { return at_ == size_; }

private:
    const char *data_;
    qsizetype size_;
    qsizetype at_ = 0;
};

// Applies one record's body; false when it makes no sense.
bool apply(const char *data, qsizetype size, std::vector<HistoryEntry> &entries)
{
    Reader reader(data, size);
    std::uint8_t mark = 0;
    std::uint64_t id = 0;
    if (!reader.get(mark) || !reader.get(id))
        return false;
    const auto found =
        std::find_if(entries.begin(), entries.end(), [id](const auto &e) { return e.id == id; });
    switch (static_cast<Mark>(mark)) {
    case Mark::Entry: {
        HistoryEntry entry;
        entry.id = id;
        std::uint8_t favourite = 0;
        if (!reader.get(entry.time) || !reader.get(favourite) || !reader.bytes(entry.recipe) ||
            !reader.bytes(entry.thumbnail) || !reader.atEnd())
            return false;
        entry.favourite = favourite != 0;
        if (found != entries.end())
            *found = std::move(entry);
        else
            entries.push_back(std::move(entry));
        return true;
    }
    case Mark::Favourite:
    case Mark::Plain:
        // A mark for an entry removed meanwhile, by this window or another,
        // is of no use but no damage either.
        if (found != entries.end())
            found->favourite = static_cast<Mark>(mark) == Mark::Favourite;
        return reader.atEnd();
    case Mark::Removed:
        if (found != entries.end())
            entries.erase(found);
        return reader.atEnd();
    }
    return false;
}

// Holds the lock file's exclusive lock while it lives.
class Lock {
public:
    explicit Lock(const QString &path)
        : fd_(::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~Lock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    int fd_;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray wholeFile(const std::vector<HistoryEntry> &entries)
{
    QByteArray bytes(header);
    for (const HistoryEntry &entry : entries)
        bytes += entryRecord(entry);
    return bytes;
}

} // namespace

QByteArray entryRecord(const HistoryEntry &entry)
{
    QByteArray body;
    body.reserve(32 + entry.recipe.size() + entry.thumbnail.size());
    put<std::uint8_t>(body, static_cast<std::uint8_t>(Mark::Entry));
    put<std::uint64_t>(body, entry.id);
    put<std::int64_t>(body, entry.time);
    put<std::uint8_t>(body, entry.favourite ? 1 : 0);
    put<std::uint32_t>(body, static_cast<std::uint32_t>(entry.recipe.size()));
    body += entry.recipe;
    put<std::uint32_t>(body, static_cast<std::uint32_t>(entry.thumbnail.size()));
    body += entry.thumbnail;
    return framed(body);
}

QByteArray markRecord(Mark mark, std::uint64_t id)
{
    QByteArray body;
    put<std::uint8_t>(body, static_cast<std::uint8_t>(mark));
    put<std::uint64_t>(body, id);
    return framed(body);
}

Contents parse(const QByteArray &bytes)
{
    Contents contents;
    if (bytes.isEmpty())
        return contents;
    if (!bytes.startsWith(header)) {
        contents.foreign = true;
        return contents;
    }
    const QByteArrayView mark(marker, markerSize);
    qsizetype at = headerSize;
    while (at < bytes.size()) {
        const qsizetype start = bytes.indexOf(mark, at);
        if (start != at)
            ++contents.skipped;
        if (start < 0)
            break;
        const char *frame = bytes.constData() + start;
        const qsizetype available = bytes.size() - start - frameSize;
        const std::uint32_t size = available >= 0 ? qFromLittleEndian<std::uint32_t>(frame + markerSize) : 0;
        const bool whole = available >= 0 && size <= maximumRecord && size <= available;
        const char *body = frame + frameSize;
        if (whole && qFromLittleEndian<std::uint64_t>(frame + markerSize + 4) == checksum(body, size) &&
            apply(body, size, contents.entries)) {
            ++contents.records;
            at = start + frameSize + size;
        } else {
            // Looked for again one byte on: a record cut short or damaged
            // is skipped, whatever follows it is read.
            ++contents.skipped;
            at = bytes.indexOf(mark, start + 1);
            if (at < 0)
                break;
        }
    }
    return contents;
}

Contents read(const QString &path)
{
    // Nothing to read, and no lock file to leave behind.
    if (!QFile::exists(path))
        return {};
    const Lock lock(path);
    return parse(readAll(path));
}

std::optional<Failure> append(const QString &path, const QByteArray &record)
{
    const Lock lock(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    QByteArray bytes = record;
    if (file.size() == 0) {
        bytes.prepend(header);
    } else {
        file.seek(0);
        // Not a history of this program: replaced, as nothing of it can be read.
        if (file.read(headerSize) != QByteArrayView(header))
            return safesave::writeFile(path, QByteArray(header) + record);
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        return failures::fromFile(file, path, error);
    }
    return std::nullopt;
}

std::optional<Failure> rewrite(const QString &path, const Change &change)
{
    const Lock lock(path);
    std::vector<HistoryEntry> entries = parse(readAll(path)).entries;
    change(entries);
    return safesave::writeFile(path, wholeFile(entries));
}

} // namespace historyfile

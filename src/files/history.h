// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historyfile.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

// The window's history of drawings, oldest first, kept in step with its file:
// the last `bound` entries that are not favourites, and every favourite. It
// remembers which entry was brought back last, to step from there.
//
// The file is written by a thread of its own, in the order asked, and the
// thumbnails are made by another, so that a drawing waits for neither the
// disk, the file's lock nor a rewrite; the history's end waits until
// everything asked is written.
class History : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t bound = 500;
    // Makes an entry's thumbnail as PNG bytes, on a thread of the history's.
    using ThumbnailMaker = std::function<QByteArray()>;

    // Reads the file at `path`; an empty path keeps the history in memory
    // only. A damaged file costs one line on standard error and the entries
    // that cannot be read, never the others.
    explicit History(QString path);
    ~History() override;
    History(const History &) = delete;
    History &operator=(const History &) = delete;

    const std::vector<HistoryEntry> &entries() const { return entries_; }
    const HistoryEntry *find(std::uint64_t id) const;

    // Keeps a new drawing as the newest entry, which becomes the current one.
    // The entry has no thumbnail until `thumbnail` has made it on a thread
    // of the history's and thumbnailMade() tells; the entry is written after.
    const HistoryEntry &add(QByteArray recipe, ThumbnailMaker thumbnail, std::int64_t time);
    void setFavourite(std::uint64_t id, bool favourite);
    void remove(std::uint64_t id);

    // The entry brought back last, or the newest one added since.
    std::optional<std::uint64_t> current() const { return current_; }
    void setCurrent(std::uint64_t id) { current_ = id; }
    // The entry `direction` steps (-1 older, +1 newer) from the current
    // one, or from beyond the newest while a new drawing is under way;
    // none at either end.
    const HistoryEntry *step(int direction, bool fromNewDrawing) const;

    // Waits until everything asked of the file is written, and gives the
    // entries the thumbnails made by then.
    void finishWrites();

signals:
    // The thumbnail of the entry `id` is made and in the entry.
    void thumbnailMade(std::uint64_t id);

private:
    // Runs `job` on the writing thread after every job asked before it.
    void post(std::function<void()> job);
    void write(const QByteArray &record);
    // On the writing thread: appends one record.
    void append(const QByteArray &record);
    // On the writing thread: tells of the first failure to write.
    void report(const std::optional<Failure> &failure);
    // Gives the entries the thumbnails made meanwhile.
    void collect();
    // Drops the oldest entries that are not favourites beyond the bound.
    static void trim(std::vector<HistoryEntry> &entries);
    void compact();

    const QString path_;
    std::vector<HistoryEntry> entries_;
    std::optional<std::uint64_t> current_;
    // Records the file holds, so that it is rewritten once they are well
    // beyond the entries kept.
    std::size_t records_ = 0;
    // Touched by the writing thread alone.
    bool writeFailed_ = false;
    // Thumbnails made meanwhile, for collect(), and how many are still to
    // make.
    std::mutex madeLock_;
    std::condition_variable making_;
    std::vector<std::pair<std::uint64_t, QByteArray>> made_;
    int pictures_ = 0;
    // Last, so that they end, waiting for their jobs, before what the jobs
    // use; the writer first, as its jobs wait for thumbnails.
    QThreadPool thumbnails_;
    QThreadPool writer_;
};

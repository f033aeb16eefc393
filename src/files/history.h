#pragma once

#include "historyfile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The window's history of drawings, oldest first, kept in step with its file:
// the last `bound` entries that are not favourites, and every favourite. It
// remembers which entry was brought back last, to step from there.
class History {
public:
    static constexpr std::size_t bound = 500;

    // Reads the file at `path`; an empty path keeps the history in memory
    // only. A damaged file costs one line on standard error and the entries
    // that cannot be read, never the others.
    explicit History(QString path);

    const std::vector<HistoryEntry> &entries() const { return entries_; }
    const HistoryEntry *find(std::uint64_t id) const;

    // Keeps a new drawing as the newest entry, which becomes the current one.
    const HistoryEntry &add(QByteArray recipe, QByteArray thumbnail, std::int64_t time);
    void setFavourite(std::uint64_t id, bool favourite);
    void remove(std::uint64_t id);

    // The entry brought back last, or the newest one added since.
    std::optional<std::uint64_t> current() const { return current_; }
    void setCurrent(std::uint64_t id) { current_ = id; }
    // The entry `direction` steps (-1 older, +1 newer) from the current
    // one, or from beyond the newest while a new drawing is under way;
    // none at either end.
    const HistoryEntry *step(int direction, bool fromNewDrawing) const;

private:
    void write(const QByteArray &record);
    // Drops the oldest entries that are not favourites beyond the bound.
    static void trim(std::vector<HistoryEntry> &entries);
    void compact();

    QString path_;
    std::vector<HistoryEntry> entries_;
    std::optional<std::uint64_t> current_;
    // Records the file holds, so that it is rewritten once they are well
    // beyond the entries kept.
    std::size_t records_ = 0;
    bool writeFailed_ = false;
};

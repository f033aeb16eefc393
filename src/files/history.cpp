#include "history.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace {

// How many records beyond the entries the file may hold before it is
// rewritten: rewriting costs the whole file, appending one record.
constexpr std::size_t slack = 100;

} // namespace

History::History(QString path) : path_(std::move(path))
{
    if (path_.isEmpty())
        return;
    historyfile::Contents contents = historyfile::read(path_);
    entries_ = std::move(contents.entries);
    records_ = static_cast<std::size_t>(contents.records);
    if (contents.foreign)
        std::fprintf(stderr, "volutra: %s is not a history file; it will be replaced\n", qPrintable(path_));
    else if (contents.skipped > 0)
        std::fprintf(stderr, "volutra: %s: %d damaged records skipped\n", qPrintable(path_),
                     contents.skipped);
    trim(entries_);
    if (contents.skipped > 0 || records_ > entries_.size() + slack)
        compact();
}

const HistoryEntry *History::find(std::uint64_t id) const
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [id](const auto &e) { return e.id == id; });
    return found == entries_.end() ? nullptr : &*found;
}

const HistoryEntry &History::add(QByteArray recipe, QByteArray thumbnail, std::int64_t time)
{
    HistoryEntry entry{QRandomGenerator::global()->generate64(), time, false, std::move(recipe),
                       std::move(thumbnail)};
    const std::uint64_t id = entry.id;
    write(historyfile::entryRecord(entry));
    entries_.push_back(std::move(entry));
    current_ = id;
    trim(entries_);
    if (records_ > entries_.size() + slack)
        compact();
    return *find(id);
}

void History::setFavourite(std::uint64_t id, bool favourite)
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [id](const auto &e) { return e.id == id; });
    if (found == entries_.end() || found->favourite == favourite)
        return;
    found->favourite = favourite;
    write(historyfile::markRecord(favourite ? historyfile::Mark::Favourite : historyfile::Mark::Plain, id));
    if (!favourite)
        trim(entries_);
}

void History::remove(std::uint64_t id)
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [id](const auto &e) { return e.id == id; });
    if (found == entries_.end())
        return;
    entries_.erase(found);
    write(historyfile::markRecord(historyfile::Mark::Removed, id));
    if (current_ == id)
        current_.reset();
}

const HistoryEntry *History::step(int direction, bool fromNewDrawing) const
{
    const auto count = static_cast<std::ptrdiff_t>(entries_.size());
    std::ptrdiff_t from = count;
    if (!fromNewDrawing && current_) {
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [this](const auto &e) { return e.id == *current_; });
        from = found - entries_.begin();
    }
    const std::ptrdiff_t to = from + direction;
    return to >= 0 && to < count ? &entries_[static_cast<std::size_t>(to)] : nullptr;
}

void History::write(const QByteArray &record)
{
    if (path_.isEmpty())
        return;
    ++records_;
    const auto failure = historyfile::append(path_, record);
    // One line for the first failure: the history stays in memory, and a
    // full disk would otherwise report at every drawing.
    if (failure && !writeFailed_)
        std::fprintf(stderr, "volutra: cannot keep the history in %s: %s\n", qPrintable(path_),
                     qPrintable(failure->description));
    writeFailed_ = writeFailed_ || failure.has_value();
}

void History::trim(std::vector<HistoryEntry> &entries)
{
    auto plain = static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const auto &e) { return !e.favourite; }));
    for (auto it = entries.begin(); plain > bound && it != entries.end();) {
        if (it->favourite) {
            ++it;
        } else {
            it = entries.erase(it);
            --plain;
        }
    }
}

void History::compact()
{
    if (path_.isEmpty())
        return;
    // What other windows appended meanwhile is read again and kept.
    std::size_t kept = 0;
    historyfile::rewrite(path_, [&kept](std::vector<HistoryEntry> &entries) {
        trim(entries);
        kept = entries.size();
    });
    records_ = kept;
}

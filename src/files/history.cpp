// SPDX-License-Identifier: GPL-3.0-or-later
#include "history.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <future>
#include <memory>

namespace {

// How many records beyond the entries the file may hold before it is
// rewritten: rewriting costs the whole file, appending one record.
constexpr std::size_t slack = 100;
// How many pictures may wait for their thumbnails.
constexpr int picturesWaiting = 8;

} // namespace

History::History(QString path) : path_(std::move(path))
{
    // One thread each, so that the records reach the file in the order asked
    // and the thumbnails are made one at a time.
    writer_.setMaxThreadCount(1);
    thumbnails_.setMaxThreadCount(1);
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

History::~History()
{
    finishWrites();
}

const HistoryEntry *History::find(std::uint64_t id) const
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [id](const auto &e) { return e.id == id; });
    return found == entries_.end() ? nullptr : &*found;
}

const HistoryEntry &History::add(QByteArray recipe, ThumbnailMaker thumbnail, std::int64_t time)
{
    {
        // Drawings that end faster than their thumbnails are made wait for
        // the writer, which would otherwise hold ever more pictures.
        std::unique_lock lock(madeLock_);
        making_.wait(lock, [this] { return pictures_ < picturesWaiting; });
        ++pictures_;
    }
    entries_.push_back({QRandomGenerator::global()->generate64(), time, false, std::move(recipe), {}});
    const HistoryEntry &entry = entries_.back();
    const std::uint64_t id = entry.id;
    current_ = id;
    if (!path_.isEmpty())
        ++records_;
    // The thumbnail is made apart from the file, so that a rewrite of the
    // file, which may take long, holds back no picture.
    auto made = std::make_shared<std::promise<QByteArray>>();
    thumbnails_.start([this, id, thumbnail = std::move(thumbnail), made]() mutable {
        QByteArray bytes = thumbnail();
        // The picture is gone with the maker.
        thumbnail = nullptr;
        {
            const std::lock_guard lock(madeLock_);
            made_.emplace_back(id, bytes);
            --pictures_;
        }
        making_.notify_all();
        QMetaObject::invokeMethod(this, &History::collect, Qt::QueuedConnection);
        made->set_value(std::move(bytes));
    });
    post([this, kept = HistoryEntry(entry), thumbnail = made->get_future().share()]() mutable {
        kept.thumbnail = thumbnail.get();
        append(historyfile::entryRecord(kept));
    });
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

void History::finishWrites()
{
    // The writer waits for thumbnails, never the other way round.
    thumbnails_.waitForDone();
    writer_.waitForDone();
    collect();
}

void History::post(std::function<void()> job)
{
    writer_.start(std::move(job));
}

void History::write(const QByteArray &record)
{
    if (path_.isEmpty())
        return;
    ++records_;
    post([this, record] { append(record); });
}

void History::append(const QByteArray &record)
{
    if (path_.isEmpty())
        return;
    report(historyfile::append(path_, record));
}

void History::report(const std::optional<Failure> &failure)
{
    // One line for the first failure: the history stays in memory, and a
    // full disk would otherwise report at every drawing.
    if (failure && !writeFailed_)
        std::fprintf(stderr, "volutra: cannot keep the history in %s: %s\n", qPrintable(path_),
                     qPrintable(failure->description));
    writeFailed_ = writeFailed_ || failure.has_value();
}

void History::collect()
{
    std::vector<std::pair<std::uint64_t, QByteArray>> made;
    {
        const std::lock_guard lock(madeLock_);
        made.swap(made_);
    }
    for (auto &[id, thumbnail] : made) {
        const std::uint64_t wanted = id;
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [wanted](const auto &e) { return e.id == wanted; });
        // An entry removed meanwhile needs none.
        if (found == entries_.end())
            continue;
        found->thumbnail = std::move(thumbnail);
        emit thumbnailMade(wanted);
    }
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
    // Until the rewrite tells otherwise, the file holds the entries kept;
    // what other windows appended meanwhile is read again and kept too.
    records_ = entries_.size();
    post([this] {
        report(historyfile::rewrite(path_, [](std::vector<HistoryEntry> &entries) { trim(entries); }));
    });
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// One drawing kept in the history: its recipe as text (see recipetext.h) and
// a small PNG picture of the finished figure.
struct HistoryEntry {
    // Unique across windows, so that marks written by one window name the
    // same entry in another.
    std::uint64_t id = 0;
    // Milliseconds since the epoch, when the drawing ended.
    std::int64_t time = 0;
    bool favourite = false;
    QByteArray recipe;
    QByteArray thumbnail;

    bool operator==(const HistoryEntry &) const = default;
};

// The history file: a header line, then records appended one after the
// other, each one a marker, its length, a checksum and its content. An
// entry is one record; marking, unmarking and removing an entry are small
// records of their own. A write cut short leaves a last record that fails
// its checksum and is skipped; every record before it stays readable. A
// damaged record is skipped by looking for the next marker.
//
// Every append and every rewrite holds an exclusive lock on a lock file
// beside the history, so that two windows never write at once; a rewrite
// replaces the file whole through the safe writer.
namespace historyfile {

inline constexpr char header[] = "Volutra history 1\n";
// A record larger than this is taken for damage.
inline constexpr std::uint32_t maximumRecord = 4 * 1024 * 1024;

enum class Mark : std::uint8_t { Entry = 1, Favourite = 2, Plain = 3, Removed = 4 };

QByteArray entryRecord(const HistoryEntry &entry);
QByteArray markRecord(Mark mark, std::uint64_t id);

// What a file holds, oldest first, the marks applied; `skipped` counts the
// records that could not be read, `foreign` is set when the file does not
// start with the header (none of it is then read).
struct Contents {
    std::vector<HistoryEntry> entries;
    int skipped = 0;
    bool foreign = false;
    // Records in the file, marks included: how much a rewrite would save.
    int records = 0;
};
Contents parse(const QByteArray &bytes);

// Reads the file at `path` under the lock; a missing file is an empty one.
Contents read(const QString &path);

// Appends one record, writing the header first into an empty or missing
// file. A foreign file is replaced by the header and the record.
std::optional<Failure> append(const QString &path, const QByteArray &record);

// Reads the file under the lock, lets `change` edit what it holds (what other
// windows appended included) and writes the result in place of it.
using Change = std::function<void(std::vector<HistoryEntry> &entries)>;
std::optional<Failure> rewrite(const QString &path, const Change &change);

} // namespace historyfile

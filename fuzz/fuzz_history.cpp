// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any bytes as a history file, as a window does at its start: the
// entries that read are written again and must read back the same, with
// nothing skipped.
#include "fuzzcheck.h"
#include "historyfile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const historyfile::Contents contents = historyfile::parse(bytes);
    check(!contents.foreign || contents.entries.empty());
    QByteArray again(historyfile::header);
    for (const HistoryEntry &entry : contents.entries)
        again += historyfile::entryRecord(entry);
    const historyfile::Contents back = historyfile::parse(again);
    check(back.skipped == 0 && back.entries == contents.entries);
    return 0;
}

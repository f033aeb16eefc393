// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>

#include <initializer_list>
#include <utility>

// A data table of one column: the column's name, then the tag and the value
// of every row.
template <typename T>
void oneColumnTable(const char *column, std::initializer_list<std::pair<const char *, T>> rows)
{
    QTest::addColumn<T>(column);
    for (const auto &[tag, value] : rows)
        QTest::newRow(tag) << value;
}

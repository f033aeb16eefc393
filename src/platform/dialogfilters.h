// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace dialogfilters
{

// The file dialog's filter list, pairs of description and pattern all
// separated by "|" ("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par"), as
// Qt name filters ("Pictures (*.bmp)", "Parameters (*.par)"), in the same
// order. Qt takes the patterns from the parentheses that end a name filter,
// separated by blanks: a description that names its patterns there keeps
// its text with the separators made blanks, any other gets the patterns
// appended. Several patterns of one pair are separated by ";". A pair without
// a pattern filters nothing and is left out, which also drops an unpaired
// description and the empty part after a trailing "|".
QStringList nameFilters(const QString &filter);

} // namespace dialogfilters

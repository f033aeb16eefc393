// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "animation.h"

#include <QString>

#include <variant>

// The render command's --sweep FIELD=FROM:TO: FIELD is a field's short name
// in the panel's table (xamp, xfreq, yamp, ...), FROM and TO are what the
// field would hold: a number, after the field's own form where it has one
// ("/" before a frequency or power, "-" or "/-" before a rotation or wst
// factor), the same form at both ends; a decimal comma reads as a point.
namespace sweepoption {

// The sweep, or why the text is refused (naming the field).
std::variant<animation::Sweep, QString> parse(const QString &text);

// The short names of the twelve fields, in the panel's order.
QString fieldNames();

} // namespace sweepoption

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fieldtable.h"

#include <optional>
#include <string>
#include <string_view>

// Stepping a parameter's value up or down from the text in its field.
namespace nudge {

// The field text after adding `step` to the number the text begins with, or
// nothing when that number (or the result) lies beyond the double range.
std::optional<std::string> stepped(std::string_view text, double step);

// The amplitude fields step by tenths, the others by ones.
constexpr bool isAmpField(int focusNumber)
{
    const fieldtable::Field *field = fieldtable::byFocusNumber(focusNumber);
    return field && field->row == fieldtable::Amp;
}

} // namespace nudge

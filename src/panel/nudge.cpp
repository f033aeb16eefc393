// SPDX-License-Identifier: GPL-3.0-or-later
#include "nudge.h"

#include "numbers.h"

#include <cmath>

namespace nudge {

std::optional<std::string> stepped(std::string_view text, double step)
{
    const double value = numbers::leadingNumber(text);
    const double result = value + step;
    if (!std::isfinite(value) || !std::isfinite(result))
        return std::nullopt;
    return numbers::parameterText(result);
}

} // namespace nudge

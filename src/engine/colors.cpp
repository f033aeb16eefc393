// SPDX-License-Identifier: GPL-3.0-or-later
#include "colors.h"

namespace colors {

namespace {
std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
} // namespace

Components split(Color color)
{
    const std::int64_t c = color;
    return {static_cast<int>(c % 256), static_cast<int>(floorDiv(c, 256) % 256),
            static_cast<int>(floorDiv(c, 65536))};
}

void PenAndBackground::setColors(Color foregroundColor, Color backgroundColor)
{
    const Components fore = split(foregroundColor);
    const Components back = split(backgroundColor);
    foreRed = fore.red;
    foreGreen = fore.green;
    foreBlue = fore.blue;
    backRed = back.red;
    backGreen = back.green;
    backBlue = back.blue;
}

} // namespace colors

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

std::array<std::uint32_t, 256> shades(std::uint32_t from, std::uint32_t to)
{
    std::array<std::uint32_t, 256> pixels;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = mixedPixel(from, to, double(i) / 255);
    return pixels;
}

} // namespace colors

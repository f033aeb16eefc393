// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

// Colours are held as red + 256 * green + 65536 * blue in a 32-bit integer.
namespace colors {

using Color = std::int32_t;

inline constexpr Color black = 0;
inline constexpr Color white = 16777215;
inline constexpr Color yellow = 65535;

// Forms a colour from its components; a component above 255 counts as 255.
constexpr Color rgb(int red, int green, int blue)
{
    const auto cap = [](int c) { return c > 255 ? 255 : c; };
    return cap(red) + 256 * cap(green) + 65536 * cap(blue);
}

// The components as the settings file splits them: red is the remainder of
// the colour by 256 (taking the colour's sign), green the remainder of the
// colour divided by 256 rounded down, blue the colour divided by 65536
// rounded down.
struct Components {
    int red;
    int green;
    int blue;
};
Components split(Color color);

// The six components the settings file keeps for the pen and the background,
// which the "col" command sets one by one. Plain ints: splitting a 32-bit
// colour for writing can give a blue beyond the 16-bit range.
struct PenAndBackground {
    int foreRed = 255, foreGreen = 255, foreBlue = 255;
    int backRed = 0, backGreen = 0, backBlue = 0;

    // The colours the components form; a component above 255 counts as 255.
    Color foreground() const { return rgb(foreRed, foreGreen, foreBlue); }
    Color background() const { return rgb(backRed, backGreen, backBlue); }

    // Splits the two colours into their components.
    void setColors(Color foregroundColor, Color backgroundColor);

    bool operator==(const PenAndBackground &) const = default;
};

// The pixel value of a colour on a 32-bit image (0xffRRGGBB); only the low
// 24 bits of the colour count.
constexpr std::uint32_t toPixel(Color color)
{
    const auto value = static_cast<std::uint32_t>(color);
    return 0xff000000u | ((value & 0xffu) << 16) | (value & 0xff00u) | ((value >> 16) & 0xffu);
}

constexpr Color fromPixel(std::uint32_t pixel)
{
    return static_cast<Color>(((pixel >> 16) & 0xffu) | (pixel & 0xff00u) | ((pixel & 0xffu) << 16));
}

// The pixel `share` (0 to 1) of the way from pixel `from` to pixel `to`
// (0xffRRGGBB), each component rounded: how a pen covering that share of a
// pixel mixes with it.
inline std::uint32_t mixedPixel(std::uint32_t from, std::uint32_t to, double share)
{
    std::uint32_t pixel = 0xff000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = (from >> shift) & 0xffu;
        const double b = (to >> shift) & 0xffu;
        pixel |= std::uint32_t(std::lround(a + (b - a) * share)) << shift;
    }
    return pixel;
}

// The 256 pixels from `from` to `to` in equal shares: the colours of a pen
// covering 0 to 255 parts of 255 of a pixel.
std::array<std::uint32_t, 256> shades(std::uint32_t from, std::uint32_t to);

} // namespace colors

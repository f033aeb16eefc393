// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingrules.h"

#include "numbers.h"
#include "rasterop.h"

#include <cmath>

namespace settingrules {

namespace {

// The largest single below 2^31 is refused too: written with seven digits it
// reads back as 2^31.
constexpr float geometryLimit = 2147483520.0f;

// A value above 0 and below `limit`, rounded to a whole number of at least 1.
std::optional<std::int16_t> positiveBelow(double v, double limit)
{
    if (!(v > 0 && v < limit))
        return std::nullopt;
    const auto rounded = numbers::roundToInt16(v);
    if (!rounded || *rounded < 1)
        return std::nullopt;
    return rounded;
}

} // namespace

std::optional<int> component(double v)
{
    const auto rounded = numbers::roundToInt16(v);
    if (!rounded || *rounded < 0)
        return std::nullopt;
    return *rounded;
}

std::optional<std::int16_t> int16(double v)
{
    return numbers::roundToInt16(v);
}

std::optional<std::int32_t> int32(double v)
{
    return numbers::roundToInt32(v);
}

std::optional<float> single(double v)
{
    const float value = numbers::toSingle(v);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> geometry(double v)
{
    const float value = numbers::toSingle(v);
    if (!(std::fabs(value) < geometryLimit))
        return std::nullopt;
    return value;
}

std::optional<float> windowSize(double v, float zeroSize, double screenSize)
{
    if (v < 0)
        return std::nullopt;
    if (v >= 1)
        return geometry(v);
    if (v == 0)
        return geometry(zeroSize);
    const auto size = geometry(screenSize * v);
    if (size && *size < 1)
        return std::nullopt;
    return size;
}

std::optional<double> stepSize(double v)
{
    if (!(v > 0))
        return std::nullopt;
    return v;
}

std::optional<float> turns(double v)
{
    // A value too small for single precision would give 0 turns.
    if (!(v > 0))
        return std::nullopt;
    const auto value = single(v);
    if (!value || !(*value > 0))
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> penSize(double v)
{
    // 32767 itself is refused; a width that rounds to 0 would draw nothing.
    return positiveBelow(v, 32767);
}

std::optional<std::int16_t> drawMode(double v)
{
    // Values that round to 0 or 17 are refused.
    const auto mode = positiveBelow(v, rasterop::White + 1);
    if (mode && *mode > rasterop::White)
        return std::nullopt;
    return mode;
}

} // namespace settingrules

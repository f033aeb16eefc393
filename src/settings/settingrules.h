// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

// What a settings value may be: each rule takes a finite number and gives
// the value the setting takes, or nothing when the window could not carry
// the number out. The settings file, the "!" and "col" commands and the
// render options all go through these.
namespace settingrules {

// A colour component: 16-bit like the other small integers, and never
// negative, since a negative component forms no colour.
std::optional<int> component(double v);

std::optional<std::int16_t> int16(double v);
std::optional<std::int32_t> int32(double v);

// A single-precision value, or nothing when it is beyond that range.
std::optional<float> single(double v);

// A window position or size: the window takes its geometry as 32-bit
// integers, so magnitudes from 2^31 up are refused.
std::optional<float> geometry(double v);

// Window height or width: a magnitude of at least 1 is the size itself, 0 is
// `zeroSize`, a fraction is that part of `screenSize`. Negative sizes and a
// fraction that leaves less than 1 twip (written back it would read as a
// fraction again) are refused.
std::optional<float> windowSize(double v, float zeroSize, double screenSize);

// The counter step: above 0.
std::optional<double> stepSize(double v);
// Turns above 0 that stay above 0 in single precision.
std::optional<float> turns(double v);
// A pen width from 1 to 32766 after rounding; 32767 itself is refused.
std::optional<std::int16_t> penSize(double v);
// A drawing mode from 1 to 16 after rounding.
std::optional<std::int16_t> drawMode(double v);

} // namespace settingrules

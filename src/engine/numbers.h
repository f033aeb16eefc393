// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reading numbers from texts and writing them back, the same way everywhere
// in the program: the decimal separator is always ".", whatever the locale.
namespace numbers {

// The number a text begins with. Blanks, tabs and line feeds anywhere in the
// text are ignored; an optional sign, digits with at most one decimal point
// and an optional exponent (E or e, optional sign, digits) are read as far as
// they go. A text without a leading number reads as 0. Magnitudes beyond the
// range of a double give an infinity of the right sign.
double leadingNumber(std::string_view text);

// The general decimal form: one blank before a value of zero or more, a minus
// sign before a negative one, at most `significantDigits` digits, no trailing
// zeros, no digit before the point of a magnitude below 1, and the exponent
// form ("1E+20", "1.5E-07") for magnitudes of 10^digits and above or below
// 10^-4. Values that are not finite are written " Inf", "-Inf" and " NaN".
std::string generalText(double value, int significantDigits = 15);

// A parameter field's text for a value: general form with 15 digits, without
// the leading blank and with a zero before a leading point ("0.5", "-0.5").
std::string parameterText(double value);

// The settings file's form: general form without the leading blank (".5").
// Single-precision values carry 7 significant digits, doubles 15.
enum class Precision { Single, Double };
std::string numberText(double value, Precision precision);

// Rounding to the nearest integer with halves going to the even neighbour.
// A value outside the target's range (or not a number) is refused.
std::optional<std::int16_t> roundToInt16(double value);
std::optional<std::int32_t> roundToInt32(double value);

// The same rounding, with values outside the range held at its ends and a
// value that is not a number taken as 0.
std::int32_t clampToInt32(double value);
std::int16_t clampToInt16(double value);

// Rounding to single precision; magnitudes beyond its range become infinite.
inline float toSingle(double value) { return static_cast<float>(value); }

} // namespace numbers

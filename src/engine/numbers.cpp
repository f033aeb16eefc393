// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace numbers {

namespace {

bool isIgnored(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Collects the characters of the leading number with the ignored characters
// left out, so that strtod sees a clean literal.
std::string leadingLiteral(std::string_view text)
{
    std::string literal;
    std::size_t i = 0;
    const auto skip = [&] {
        while (i < text.size() && isIgnored(text[i]))
            ++i;
    };
    // A sign, with what is ignored after it.
    const auto takeSign = [&](std::string &into) {
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            into += text[i++];
            skip();
        }
    };
    skip();
    takeSign(literal);
    bool sawDigit = false;
    bool sawPoint = false;
    while (i < text.size()) {
        const char c = text[i];
        if (isDigit(c)) {
            sawDigit = true;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else if (!isIgnored(c)) {
            break;
        }
        if (!isIgnored(c))
            literal += c;
        ++i;
    }
    if (!sawDigit)
        return {};
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::string exponent = "e";
        ++i;
        skip();
        takeSign(exponent);
        bool exponentDigits = false;
        while (i < text.size() && (isDigit(text[i]) || isIgnored(text[i]))) {
            if (isDigit(text[i])) {
                exponent += text[i];
                exponentDigits = true;
            }
            ++i;
        }
        if (exponentDigits)
            literal += exponent;
    }
    return literal;
}

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

template <typename Int> std::optional<Int> roundTo(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max())))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

template <typename Int> Int clampTo(double value)
{
    if (std::isnan(value))
        return 0;
    if (const auto rounded = roundTo<Int>(value))
        return *rounded;
    return value < 0 ? std::numeric_limits<Int>::min() : std::numeric_limits<Int>::max();
}

std::string stripTrailingZeros(std::string digits)
{
    if (digits.find('.') == std::string::npos)
        return digits;
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (!digits.empty() && digits.back() == '.')
        digits.pop_back();
    return digits;
}

// Lowers the last digit of a mantissa that is not all zeros ("1.79769313486232"
// becomes "1.79769313486231").
std::string decrementLastDigit(std::string mantissa)
{
    for (auto it = mantissa.rbegin(); it != mantissa.rend(); ++it) {
        if (!isDigit(*it))
            continue;
        if (*it != '0') {
            --*it;
            break;
        }
        *it = '9';
    }
    return mantissa;
}

} // namespace

double leadingNumber(std::string_view text)
{
    const std::string literal = leadingLiteral(text);
    if (literal.empty())
        return 0.0;
    return strtod_l(literal.c_str(), nullptr, cLocale());
}

std::string generalText(double value, int significantDigits)
{
    if (std::isnan(value))
        return " NaN";
    if (std::isinf(value))
        return value > 0 ? " Inf" : "-Inf";
    if (value == 0.0)
        return " 0";

    const std::string sign = value < 0 ? "-" : " ";
    const double magnitude = std::fabs(value);

    // Round to the significant digits first: the exponent of the rounded
    // value decides between the plain and the exponent form.
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", significantDigits - 1, magnitude);
    const std::string_view text(scientific);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(scientific + e + 1);

    if (exponent >= significantDigits || exponent < -4) {
        std::string mantissa = stripTrailingZeros(std::string(text.substr(0, e)));
        // Near the top of the double range the rounded mantissa can exceed
        // the largest double; the digit below still reads back finite.
        if (exponent >= 308 && std::isinf(leadingNumber(mantissa + "e" + std::to_string(exponent))))
            mantissa = decrementLastDigit(mantissa);
        char exponentText[16];
        std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                      std::abs(exponent));
        return sign + mantissa + exponentText;
    }

    char fixed[512];
    const int decimals = std::max(0, significantDigits - 1 - exponent);
    std::snprintf(fixed, sizeof fixed, "%.*f", decimals, magnitude);
    std::string digits = stripTrailingZeros(fixed);
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.')
        digits.erase(0, 1);
    return sign + digits;
}

std::string parameterText(double value)
{
    std::string text = generalText(value, 15);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    if (!text.empty() && text.front() == '.')
        text.insert(0, "0");
    if (text.starts_with("-."))
        text.replace(0, 2, "-0.");
    return text;
}

std::string numberText(double value, Precision precision)
{
    const int digits = precision == Precision::Single ? 7 : 15;
    const double shown =
        precision == Precision::Single ? static_cast<double>(static_cast<float>(value)) : value;
    std::string text = generalText(shown, digits);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

std::optional<std::int16_t> roundToInt16(double value)
{
    return roundTo<std::int16_t>(value);
}
std::optional<std::int32_t> roundToInt32(double value)
{
    return roundTo<std::int32_t>(value);
}
std::int32_t clampToInt32(double value)
{
    return clampTo<std::int32_t>(value);
}
std::int16_t clampToInt16(double value)
{
    return clampTo<std::int16_t>(value);
}

} // namespace numbers

// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any text as a number, and writes numbers built from the input's
// bytes in every text form the program uses: each form must be well formed
// and read back to the value within the precision it carries.
#include "fuzzcheck.h"
#include "numbers.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool isIgnored(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool within(double value, double restored, double relative)
{
    return std::fabs(restored - value) <= relative * std::fabs(value);
}

// The general form: a blank or a minus sign; digits without a leading zero
// (a magnitude below 1 starts with the point) and without trailing zeros
// after the point; in the exponent form one digit before the point and a
// signed exponent of at least two digits. At most `digits` significant
// digits.
bool wellFormed(std::string_view text, int digits)
{
    if (text.size() < 2 || (text[0] != ' ' && text[0] != '-'))
        return false;
    if (text == " 0")
        return true;
    text.remove_prefix(1);
    const std::size_t e = text.find('E');
    const std::string_view mantissa = text.substr(0, e);
    const std::size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    if (mantissa.empty() || mantissa.front() == '0')
        return false;
    if (point != std::string_view::npos) {
        const std::string_view fraction = mantissa.substr(point + 1);
        if (fraction.empty() || fraction.back() == '0' || fraction.find('.') != std::string_view::npos)
            return false;
        for (const char c : fraction)
            if (!isDigit(c))
                return false;
    }
    for (const char c : whole)
        if (!isDigit(c))
            return false;
    int significant = 0;
    bool started = false;
    for (const char c : mantissa) {
        started = started || (isDigit(c) && c != '0');
        significant += started && isDigit(c);
    }
    if (significant > digits)
        return false;
    if (e == std::string_view::npos)
        return true;
    const std::string_view exponent = text.substr(e + 1);
    if (whole.size() != 1 || exponent.size() < 3 || exponent.size() > 4 ||
        (exponent[0] != '+' && exponent[0] != '-'))
        return false;
    for (const char c : exponent.substr(1))
        if (!isDigit(c))
            return false;
    return true;
}

void checkDouble(double v)
{
    const std::string general = numbers::generalText(v, 15);
    check(wellFormed(general, 15));
    check(within(v, numbers::leadingNumber(general), 1e-14));

    const std::string parameter = numbers::parameterText(v);
    check(!parameter.empty() && parameter.front() != ' ' && parameter.front() != '.' &&
          !parameter.starts_with("-."));
    check(within(v, numbers::leadingNumber(parameter), 1e-14));

    const std::string text = numbers::numberText(v, numbers::Precision::Double);
    check(general == (general.front() == ' ' ? " " : "") + text);
    check(within(v, numbers::leadingNumber(text), 1e-14));

    // Seven digits, the single-precision form, applied to a double.
    const std::string seven = numbers::generalText(v, 7);
    check(wellFormed(seven, 7));
    check(within(v, numbers::leadingNumber(seven), 5.000001e-7));
}

void checkSingle(float f)
{
    const std::string text = numbers::numberText(f, numbers::Precision::Single);
    check(wellFormed((text.front() == '-' ? "" : " ") + text, 7));
    check(within(f, numbers::toSingle(numbers::leadingNumber(text)), 1e-6));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);

    // Blanks, tabs and line feeds are ignored wherever they stand, and a
    // character that cannot continue the number changes nothing.
    const double value = numbers::leadingNumber(input);
    check(!std::isnan(value));
    std::string compact;
    for (const char c : input)
        if (!isIgnored(c))
            compact += c;
    check(numbers::leadingNumber(compact) == value);
    check(numbers::leadingNumber(std::string(input) + "x") == value);

    if (size >= sizeof(double)) {
        double v;
        std::memcpy(&v, data, sizeof v);
        if (std::isfinite(v))
            checkDouble(v);
    }
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data + size - sizeof f, sizeof f);
        if (std::isfinite(f))
            checkSingle(f);
    }
    if (std::isfinite(value))
        checkDouble(value);
    if (std::isfinite(numbers::toSingle(value)))
        checkSingle(numbers::toSingle(value));
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "recipe.h"

#include "drawingrun.h"

#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace recipe {

namespace {

// How the drawing run reads a "/" frequency text.
double readSlashDivisor(const std::string &text, bool single)
{
    const double divisor = -10.0 * numbers::leadingNumber(std::string_view(text).substr(1));
    return single ? static_cast<double>(numbers::toSingle(divisor)) : divisor;
}

bool startsWithBlank(const std::string &text)
{
    return !text.empty() && (text.front() == ' ' || text.front() == '\t');
}

// The number a field reads as, its first comma taken as the decimal point.
double fieldNumber(std::string text)
{
    if (const auto comma = text.find(','); comma != std::string::npos)
        text[comma] = '.';
    return numbers::leadingNumber(text);
}

} // namespace

std::string exactText(double value)
{
    if (std::isinf(value))
        return value > 0 ? "1E+999" : "-1E+999";
    if (std::isnan(value))
        return "0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<std::string> divisorText(double divisor, bool single)
{
    // -10 x v rounds, so the nearest v need not give the divisor back; one
    // of its close neighbours does.
    constexpr double up = std::numeric_limits<double>::infinity();
    const double quotient = divisor / -10.0;
    double above = quotient;
    double below = quotient;
    for (int distance = 0; distance < 4; ++distance) {
        for (const double candidate : {above, below}) {
            const std::string text = "/" + exactText(candidate);
            if (readSlashDivisor(text, single) == divisor)
                return text;
        }
        above = std::nextafter(above, up);
        below = std::nextafter(below, -up);
    }
    return std::nullopt;
}

ParameterTexts fieldTexts(const Recipe &recipe)
{
    using I = ParameterTexts;
    ParameterTexts texts = recipe.typed;
    texts[I::XAmp] = exactText(recipe.parameters.x.amplitude);
    texts[I::YAmp] = exactText(recipe.parameters.y.amplitude);
    // Not every divisor is -10 times a double; the typed frequency of such a
    // divisor gives it back instead.
    const double xDivisor = recipe.parameters.x.freqDivisor;
    if (const auto slash = divisorText(xDivisor, false)) {
        texts[I::XFreq] = *slash;
    } else {
        ParameterTexts typed;
        typed[I::XFreq] = texts[I::XFreq].substr(
            std::min(texts[I::XFreq].find_first_not_of(" \t"), texts[I::XFreq].size()));
        if (curve::readCurveParameters(typed).x.freqDivisor != xDivisor)
            typed[I::XFreq] = "/" + exactText(xDivisor / -10.0);
        texts[I::XFreq] = typed[I::XFreq];
    }
    texts[I::YFreq] = divisorText(recipe.parameters.y.freqDivisor, true)
                          .value_or("/" + exactText(recipe.parameters.y.freqDivisor / -10.0));
    // The parameter file drops blanks at the start of a line, and with them
    // their meaning: such a field is written in a form without them that
    // reads the same. A power is then its plain number; a rotation or wst
    // with a blank in front is a phase, whatever sign follows the blank.
    const auto power = [](const std::string &text, float value) {
        return startsWithBlank(text) ? exactText(value) : text;
    };
    texts[I::XPwr1] = power(texts[I::XPwr1], recipe.parameters.x.power1);
    texts[I::XPwr2] = power(texts[I::XPwr2], recipe.parameters.x.power2);
    texts[I::YPwr1] = power(texts[I::YPwr1], recipe.parameters.y.power1);
    texts[I::YPwr2] = power(texts[I::YPwr2], recipe.parameters.y.power2);
    for (const I::Index turn : {I::XRot, I::XWst, I::YRot, I::YWst})
        if (startsWithBlank(texts[turn]))
            texts[turn] = exactText(std::fabs(fieldNumber(texts[turn])));
    return texts;
}

void eachPoint(const Recipe &completed, const std::function<bool(const CurvePointF *, std::size_t)> &sink)
{
    constexpr std::size_t batchSize = 16384;
    const std::int64_t end = DrawingRun::counterEnd(completed.prefs.turns);
    const std::int64_t step = DrawingRun::counterStep(completed.prefs.stepSize);
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    const auto inRange = [&](std::int64_t n) {
        return n >= lowest && n <= highest && (step >= 0 ? n <= end : n >= end);
    };
    std::vector<CurvePointF> batch(batchSize);
    for (std::int64_t n = 0; inRange(n);) {
        std::size_t count = 0;
        std::int64_t next = n;
        while (count < batchSize && inRange(next)) {
            ++count;
            next += step;
            if (step == 0)
                break;
        }
        curve::curvePoints(completed.parameters, static_cast<std::int32_t>(n),
                           static_cast<std::int32_t>(step), count, completed.prefs.placement.drawLeftOffset,
                           completed.prefs.placement.drawTopOffset, batch.data());
        if (!sink(batch.data(), count) || step == 0)
            break;
        n = next;
    }
}

} // namespace recipe

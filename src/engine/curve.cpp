// SPDX-License-Identifier: GPL-3.0-or-later
#include "curve.h"

#include "cpu.h"
#include "curvevector.h"
#include "layout.h"
#include "numbers.h"

#include <cmath>

namespace curve {

namespace {

constexpr double pi = 3.1415926536;

using numbers::leadingNumber;
using numbers::toSingle;

bool beginsWith(const std::string &text, char c) { return !text.empty() && text.front() == c; }

// The decimal comma: the first "," reads as a point; further commas end the
// number.
std::string withDecimalComma(std::string text)
{
    if (const auto comma = text.find(','); comma != std::string::npos)
        text[comma] = '.';
    return text;
}

double readDivisor(const std::string &text)
{
    if (beginsWith(text, '/'))
        return -10.0 * leadingNumber(std::string_view(text).substr(1));
    const double number = leadingNumber(text);
    return number == 0 ? 0.0 : -1000.0 / number;
}

float readPower(const std::string &text)
{
    if (beginsWith(text, '/')) {
        const double number = leadingNumber(std::string_view(text).substr(1));
        return number == 0 ? 0.0f : toSingle(1.0 / number);
    }
    return toSingle(leadingNumber(text));
}

// A rotation or wst text: a phase in hundredths of a turn, or after "-" a
// speed factor in hundredths, or after "/-" the reciprocal of that factor.
void readTurn(const std::string &text, float &angle, float &factor)
{
    angle = toSingle(std::fabs(leadingNumber(text) * pi / 50));
    factor = 1;
    std::string_view rest(text);
    const bool slash = beginsWith(text, '/');
    if (slash)
        rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '-') {
        factor = toSingle(std::fabs(leadingNumber(rest)) / 100);
        if (slash && factor != 0)
            factor = toSingle(0.01 / factor);
        angle = 0;
    }
}

std::int32_t scale(double amplitude, double span, float part)
{
    return numbers::clampToInt32(3000 / (std::fabs(amplitude) + 1) * span / 6528 * part);
}

double signOf(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

} // namespace

CurveParameters readCurveParameters(const ParameterTexts &typed)
{
    using I = ParameterTexts;
    ParameterTexts t = typed;
    for (auto &text : t.text)
        text = withDecimalComma(text);

    CurveParameters p;
    p.x.amplitude = leadingNumber(t[I::XAmp]);
    p.x.freqDivisor = readDivisor(t[I::XFreq]);
    p.y.amplitude = leadingNumber(t[I::YAmp]);
    p.y.freqDivisor = toSingle(readDivisor(t[I::YFreq]));
    p.x.power1 = readPower(t[I::XPwr1]);
    p.x.power2 = readPower(t[I::XPwr2]);
    p.y.power1 = readPower(t[I::YPwr1]);
    p.y.power2 = readPower(t[I::YPwr2]);
    readTurn(t[I::XRot], p.x.rotAngle, p.x.rotFactor);
    readTurn(t[I::XWst], p.x.wstAngle, p.x.wstFactor);
    readTurn(t[I::YRot], p.y.rotAngle, p.y.rotFactor);
    readTurn(t[I::YWst], p.y.wstAngle, p.y.wstFactor);

    // Empty fields, tested on the texts as typed.
    if (typed[I::XPwr1].empty())
        p.x.power1 = 1;
    if (typed[I::XPwr2].empty())
        p.x.power2 = p.x.power1;
    if (typed[I::YPwr1].empty())
        p.y.power1 = p.x.power1;
    if (typed[I::YPwr2].empty())
        p.y.power2 = p.x.power2;
    if (typed[I::YRot].empty() && !beginsWith(typed[I::XRot], '-'))
        p.y.rotAngle = p.x.rotAngle;
    return p;
}

void completeCurveParameters(CurveParameters &p, double outerWidth, double outerHeight, float drawPartX,
                             float drawPartY, RandomSource &random)
{
    if (p.y.amplitude == 0)
        p.y.amplitude = p.x.amplitude;
    if (p.y.freqDivisor == 0)
        p.y.freqDivisor = toSingle(p.x.freqDivisor);
    if (p.x.freqDivisor == 0 || p.y.freqDivisor == 0) {
        p.x.amplitude = toSingle(2 * random.next() - 1);
        p.y.amplitude = p.x.amplitude;
        p.x.freqDivisor = 10 * std::floor(100 * random.next() - 50);
        p.y.freqDivisor = p.x.freqDivisor;
    }
    // The Y divisor is a single-precision value, its minimum included.
    if (std::fabs(p.x.freqDivisor) < 0.003)
        p.x.freqDivisor = 0.003;
    if (std::fabs(p.y.freqDivisor) < 0.003)
        p.y.freqDivisor = toSingle(0.003);
    p.scaleX = scale(p.x.amplitude, outerWidth - layout::figureMargin, drawPartX);
    p.scaleY = scale(p.y.amplitude, outerHeight, drawPartY);
    p.allPowersOne = p.x.power1 == 1 && p.x.power2 == 1 && p.y.power1 == 1 && p.y.power2 == 1;
}

CurvePointF curvePoint(const CurveParameters &p, std::int32_t n, std::int32_t drawLeftOffset,
                       std::int32_t drawTopOffset)
{
    const double t = n;
    double a1 = std::cos(p.x.rotFactor * (t / 1000 + p.x.rotAngle));
    double a2 = std::cos(p.x.wstFactor * (t / p.x.freqDivisor + p.x.wstAngle));
    double b1 = std::sin(p.y.rotFactor * (t / 1000 + p.y.rotAngle));
    double b2 = std::sin(p.y.wstFactor * (t / p.y.freqDivisor + p.y.wstAngle));
    if (!p.allPowersOne) {
        a1 = pow(toSingle(a1), p.x.power1);
        a2 = pow(toSingle(a2), p.x.power2);
        b1 = pow(toSingle(b1), p.y.power1);
        b2 = pow(toSingle(b2), p.y.power2);
    }
    const double ax = p.x.amplitude;
    const double ay = p.y.amplitude;
    const double x = (a1 - ax * a2 + std::fabs(ax) + 1) * p.scaleX + drawLeftOffset;
    const double y = (b1 - ay * b2 + std::fabs(ay) + 1) * p.scaleY + drawTopOffset;
    return {toSingle(x), toSingle(y)};
}

BatchPath fastestBatchPath() { return vector::available() ? BatchPath::Vector : BatchPath::Scalar; }

void curvePoints(const CurveParameters &parameters, std::int32_t first, std::int32_t step, std::size_t count,
                 std::int32_t drawLeftOffset, std::int32_t drawTopOffset, CurvePointF *out, BatchPath path)
{
    cpu::clearUpperRegisters();
    if (path == BatchPath::Vector && vector::available()) {
        vector::curvePoints(parameters, first, step, count, drawLeftOffset, drawTopOffset, out);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(first + static_cast<std::int64_t>(i) * step);
        out[i] = curvePoint(parameters, n, drawLeftOffset, drawTopOffset);
    }
}

float pow(float x, float p)
{
    if (x == 0)
        return 0;
    const double magnitude = std::exp(std::fabs(double(p)) * std::log(std::fabs(double(x))));
    return toSingle(p > 0 ? signOf(x) * magnitude : magnitude);
}

} // namespace curve

// SPDX-License-Identifier: GPL-3.0-or-later
// Reads twelve parameter texts, completes the figure and computes points
// across the whole counter range; a batch of points must equal the same
// points computed one by one, and the vector batch must come close.
//
// Input: the twelve texts, one a line (X amp, X freq, Y amp, Y freq, X pwr1,
// X pwr2, Y pwr1, Y pwr2, X rot, X wst, Y rot, Y wst); the bytes after the
// twelfth line end give the drawing parts, the offsets, the batch's start and
// step and length (a byte each) and the random seed (eight bytes). Missing
// bytes count as zeros, which give the default placement and a batch of 64
// points from 0 in steps of 100.
#include "curve.h"
#include "fuzzcheck.h"
#include "parametertexts.h"
#include "randomsource.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

// The outer size of a default window, in twips.
constexpr double outerWidth = 8790;
constexpr double outerHeight = 6990;

constexpr int batchSize = 64;

// Hands out the control bytes, then zeros.
class Bytes {
public:
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
    std::uint8_t next() { return pos_ < bytes_.size() ? std::uint8_t(bytes_[pos_++]) : 0; }
    std::uint64_t next64()
    {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = value << 8 | next();
        return value;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// A drawing part as the settings file may hold it: 1 for a zero byte, a
// multiple of a quarter away from 1, or an extreme.
float part(std::uint8_t byte)
{
    constexpr std::array<float, 8> extremes = {0.0f,
                                               -1.0f,
                                               1e-30f,
                                               1e30f,
                                               -1e30f,
                                               std::numeric_limits<float>::max(),
                                               -std::numeric_limits<float>::max(),
                                               std::numeric_limits<float>::denorm_min()};
    if (byte >= 248)
        return extremes[byte - 248];
    return 1.0f + (static_cast<int>(byte) - (byte < 124 ? 0 : 248)) * 0.25f;
}

// An offset: 50 for a zero byte, a multiple of 10 away from it, or an
// extreme.
std::int32_t offset(std::uint8_t byte)
{
    constexpr std::array<std::int32_t, 8> extremes = {0,
                                                      -1,
                                                      std::numeric_limits<std::int32_t>::max(),
                                                      std::numeric_limits<std::int32_t>::min(),
                                                      1000000,
                                                      -1000000,
                                                      32767,
                                                      -32768};
    if (byte >= 248)
        return extremes[byte - 248];
    return 50 + (static_cast<int>(byte) - (byte < 124 ? 0 : 248)) * 10;
}

bool samePoint(const CurvePointF &a, const CurvePointF &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A coordinate of the vector batch against the scalar one. The sines and
// cosines may differ by a few units in their last place; the formula
// multiplies that by no more than `spread`, and the rounding to single
// precision may then pick the neighbouring float, or overflow on one side
// only near the end of the float range. Where the spread itself is beyond
// the double range, nothing bounds the difference.
bool near(float vector, float scalar, double spread)
{
    if (vector == scalar || (std::isnan(vector) && std::isnan(scalar)))
        return true;
    if (!(spread <= 1e300))
        return true;
    if (std::isnan(vector) || std::isnan(scalar))
        return false;
    if (std::isinf(vector) || std::isinf(scalar))
        return std::fmin(std::fabs(vector), std::fabs(scalar)) > 1e38f;
    return std::fabs(double(vector) - double(scalar)) <= 1e-12 * spread + 2.4e-7 * std::fabs(double(scalar));
}

// With no negative power every term of the formula lies between -1 and 1,
// so the bracket lies between 0 and 2 |amplitude| + 2: the figure stays in
// the box that the scale and the offset give, up to the rounding of the
// point to single precision.
bool inBox(float coordinate, double amplitude, std::int32_t scale, std::int32_t offset)
{
    if (!std::isfinite(coordinate))
        return true;
    const double extent = (2 * std::fabs(amplitude) + 2) * scale;
    const double low = std::min(0.0, extent) + offset;
    const double high = std::max(0.0, extent) + offset;
    const double slack = 1e-6 * (std::fabs(low) + std::fabs(high));
    return coordinate >= low - slack && coordinate <= high + slack;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    ParameterTexts texts;
    for (int i = 0; i < ParameterTexts::Count; ++i) {
        const std::size_t end = input.find('\n');
        texts.text[i] = std::string(input.substr(0, end));
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    Bytes control(input);
    const float partX = part(control.next());
    const float partY = part(control.next());
    const std::int32_t left = offset(control.next());
    const std::int32_t top = offset(control.next());
    const std::uint8_t batchByte = control.next();
    const std::uint8_t stepByte = control.next();
    const std::uint8_t countByte = control.next();
    RandomSource random(control.next64());

    CurveParameters parameters = curve::readCurveParameters(texts);
    curve::completeCurveParameters(parameters, outerWidth, outerHeight, partX, partY, random);
    check(std::fabs(parameters.x.freqDivisor) >= 0.003);
    check(std::fabs(parameters.y.freqDivisor) >= 0.003f);

    const bool bounded = parameters.x.power1 >= 0 && parameters.x.power2 >= 0 && parameters.y.power1 >= 0 &&
                         parameters.y.power2 >= 0;
    const auto checkPoint = [&](const CurvePointF &point) {
        if (bounded) {
            check(inBox(point.x, parameters.x.amplitude, parameters.scaleX, left));
            check(inBox(point.y, parameters.y.amplitude, parameters.scaleY, top));
        }
    };

    // Counter values spread evenly over the whole 32-bit range, both ends
    // included, and those that a drawing run of one turn meets.
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    constexpr int parts = 256;
    for (int i = 0; i <= parts; ++i) {
        const auto n = static_cast<std::int32_t>(low + (high - low) * i / parts);
        checkPoint(curve::curvePoint(parameters, n, left, top));
    }
    for (const std::int32_t n : {0, 1, -1, 100, 10000, 3141600, 6283200})
        checkPoint(curve::curvePoint(parameters, n, left, top));

    // A batch from anywhere in the range, moved back where its last value
    // would leave the range, with steps up to the largest that fits.
    const std::size_t count = batchSize - countByte % batchSize;
    const std::int32_t step = stepByte == 255 ? std::numeric_limits<std::int32_t>::max() / batchSize
                                              : (static_cast<std::int8_t>(stepByte) + 1) * 100;
    const std::int64_t first64 = static_cast<std::int64_t>(static_cast<std::int8_t>(batchByte)) * 16777216;
    const std::int64_t span = std::int64_t(count - 1) * step;
    const std::int64_t last64 = first64 + span;
    const auto first = static_cast<std::int32_t>(last64 > high  ? high - span
                                                 : last64 < low ? low - span
                                                                : first64);

    // The scalar batch is the reference: exactly the single points.
    std::array<CurvePointF, batchSize> scalar;
    curve::curvePoints(parameters, first, step, count, left, top, scalar.data(), curve::BatchPath::Scalar);
    for (std::size_t i = 0; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(first + std::int64_t(i) * step);
        check(samePoint(scalar[i], curve::curvePoint(parameters, n, left, top)));
        checkPoint(scalar[i]);
    }

    // The vector batch (where the processor has one) differs only by the
    // rounding of its sine and cosine. With powers other than 1 the terms
    // are rounded to single precision and raised to any power, which can
    // make any such difference large, so there only the run itself counts.
    std::array<CurvePointF, batchSize> vector;
    curve::curvePoints(parameters, first, step, count, left, top, vector.data(), curve::BatchPath::Vector);
    if (parameters.allPowersOne) {
        const double spreadX =
            (2 * std::fabs(parameters.x.amplitude) + 2) * std::fabs(double(parameters.scaleX));
        const double spreadY =
            (2 * std::fabs(parameters.y.amplitude) + 2) * std::fabs(double(parameters.scaleY));
        for (std::size_t i = 0; i < count; ++i) {
            check(near(vector[i].x, scalar[i].x, spreadX));
            check(near(vector[i].y, scalar[i].y, spreadY));
        }
    }
    return 0;
}

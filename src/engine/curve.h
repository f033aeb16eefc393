// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "parametertexts.h"
#include "randomsource.h"

#include <cstddef>
#include <cstdint>

// One axis of a figure: the second circle's radius and speed, the powers of
// both terms, and the phase and speed factor of each circle.
struct AxisParameters {
    double amplitude = 0;
    double freqDivisor = 0;
    float power1 = 1;
    float power2 = 1;
    float rotAngle = 0;
    float rotFactor = 1;
    float wstAngle = 0;
    float wstFactor = 1;
};

struct CurveParameters {
    AxisParameters x;
    AxisParameters y;
    std::int32_t scaleX = 0;
    std::int32_t scaleY = 0;
    bool allPowersOne = true;
};

// A point on the surface, in twips.
struct CurvePointF {
    float x;
    float y;
};

namespace curve {

// Reads the twelve texts with their special forms ("/", "-", the decimal
// comma) and the rules for empty fields.
CurveParameters readCurveParameters(const ParameterTexts &texts);

// Copies missing Y values from X, invents a random figure when a frequency is
// missing, keeps the divisors away from 0 and computes the scales for a window
// of the given outer size in twips.
void completeCurveParameters(CurveParameters &parameters, double outerWidth, double outerHeight,
                             float drawPartX, float drawPartY, RandomSource &random);

// The point for counter value n, in twips. Either coordinate may be
// infinite or not a number for extreme parameters; such points are not drawn.
CurvePointF curvePoint(const CurveParameters &parameters, std::int32_t n, std::int32_t drawLeftOffset,
                       std::int32_t drawTopOffset);

// How a batch of points is computed: one at a time with the scalar sine and
// cosine (the reference), or four at a time with the vector ones where the
// processor allows; the two differ by rounding in the last digits only.
enum class BatchPath { Scalar, Vector };
BatchPath fastestBatchPath();

// The points for the counter values first, first + step, ... (`count` of
// them, all within the 32-bit range), as curvePoint gives them.
void curvePoints(const CurveParameters &parameters, std::int32_t first, std::int32_t step, std::size_t count,
                 std::int32_t drawLeftOffset, std::int32_t drawTopOffset, CurvePointF *out,
                 BatchPath path = fastestBatchPath());

// x to the power p, keeping the sign of x for p > 0 and folding it for p <= 0.
float pow(float x, float p);

} // namespace curve

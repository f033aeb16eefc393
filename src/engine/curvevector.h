// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "curve.h"

#include <cstddef>
#include <cstdint>

namespace curve::vector {

// Whether this processor runs the four-wide path (AVX2 with FMA).
bool available();

// curvePoints four counter values at a time with the vector sine and cosine
// of the C library; call only when available() is true.
void curvePoints(const CurveParameters &parameters, std::int32_t first, std::int32_t step, std::size_t count,
                 std::int32_t drawLeftOffset, std::int32_t drawTopOffset, CurvePointF *out);

} // namespace curve::vector

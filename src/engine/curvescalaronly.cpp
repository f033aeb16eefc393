// SPDX-License-Identifier: GPL-3.0-or-later
// Processors without the four-wide path compute every batch one point at a
// time.

#include "curvevector.h"

namespace curve::vector {

bool available() { return false; }

void curvePoints(const CurveParameters &, std::int32_t, std::int32_t, std::size_t, std::int32_t, std::int32_t,
                 CurvePointF *)
{
}

} // namespace curve::vector

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// The least a four-wide formula must do: two vector cosines and two vector
// sines of each counter value, summed and stored as a pair of floats. The
// yardstick for the curve formula's four-wide path.
namespace barevector {

bool available();
void points(double first, double step, std::size_t count, float *out);

} // namespace barevector

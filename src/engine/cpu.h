// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace cpu {

// Code built for plain SSE runs many times slower while some library has left
// the upper halves of the AVX registers in use (Qt's image routines do so).
// Clearing them before a long stretch of arithmetic avoids that; on a
// processor without AVX this does nothing.
void clearUpperRegisters();

} // namespace cpu

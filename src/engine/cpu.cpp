// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpu.h"

namespace cpu {

#if defined(__x86_64__) || defined(__i386__)

namespace {
const bool hasAvx = __builtin_cpu_supports("avx");
}

void clearUpperRegisters()
{
    if (hasAvx)
        __asm__ volatile("vzeroupper" ::: "memory");
}

#else

void clearUpperRegisters() {}

#endif

} // namespace cpu

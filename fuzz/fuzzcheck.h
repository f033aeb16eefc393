// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a fuzz target checks of every input: a broken promise stops the
// fuzzer at once, with the input that broke it.
inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

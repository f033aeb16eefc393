// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

// The window's one pseudo-random generator: uniform numbers in [0, 1). It
// remembers its seed and how many numbers it has given since, so that a
// figure's random colours can be drawn again later.
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0) : engine_(seed), seed_(seed) {}

    void seed(std::uint64_t value)
    {
        engine_.seed(value);
        seed_ = value;
        draws_ = 0;
    }

    double next()
    {
        ++draws_;
        return std::generate_canonical<double, 53>(engine_);
    }

    // Passes over `count` numbers, as that many calls of next() would.
    void skip(std::uint64_t count)
    {
        // Each number takes exactly one value of the 64-bit engine.
        engine_.discard(count);
        draws_ += count;
    }

    std::uint64_t seedValue() const { return seed_; }
    std::uint64_t drawCount() const { return draws_; }

private:
    std::mt19937_64 engine_;
    std::uint64_t seed_;
    std::uint64_t draws_ = 0;
};

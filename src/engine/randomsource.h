#pragma once

#include <cstdint>
#include <random>

// The window's one pseudo-random generator: uniform numbers in [0, 1).
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0) : engine_(seed) {}

    void seed(std::uint64_t value) { engine_.seed(value); }

    double next() { return std::generate_canonical<double, 53>(engine_); }

private:
    std::mt19937_64 engine_;
};

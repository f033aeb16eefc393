// SPDX-License-Identifier: GPL-3.0-or-later
#include "counterwalk.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

namespace {

// x with x * a = 1 modulo m, for a and m without a common divisor.
std::int64_t inverseModulo(std::int64_t a, std::int64_t m)
{
    std::int64_t r0 = m;
    std::int64_t r1 = a % m;
    std::int64_t t0 = 0;
    std::int64_t t1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        r0 = std::exchange(r1, r0 - q * r1);
        t0 = std::exchange(t1, t0 - q * t1);
    }
    return t0 < 0 ? t0 + m : t0;
}

} // namespace

CounterWalk::CounterWalk(std::int64_t end, std::int64_t step, std::int64_t checkpointSpacing)
    : end_(end), step_(step), spacing_(checkpointSpacing), stepRemainder_(remainder(step))
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    last_ = step_ >= 0 ? std::min(end_, highest) : std::max(end_, lowest);
    if (stepRemainder_ != 0) {
        divisor_ = std::gcd(stepRemainder_, spacing_);
        cycle_ = spacing_ / divisor_;
        inverse_ = inverseModulo(stepRemainder_ / divisor_, cycle_);
    }
}

std::int64_t CounterWalk::remainder(std::int64_t value) const
{
    const std::int64_t r = value % spacing_;
    return r < 0 ? r + spacing_ : r;
}

bool CounterWalk::inRange(std::int64_t n) const
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return n >= lowest && n <= highest && (step_ >= 0 ? n <= end_ : n >= end_);
}

std::int64_t CounterWalk::stepsToCheckpoint(std::int64_t n) const
{
    // k steps reach a checkpoint when k times the step's remainder matches
    // the remainder that n lacks, modulo the spacing.
    const std::int64_t missing = remainder(-n);
    if (stepRemainder_ == 0)
        return missing == 0 ? 1 : 0;
    if (missing % divisor_ != 0)
        return 0;
    const std::int64_t k = missing / divisor_ * inverse_ % cycle_;
    return k == 0 ? cycle_ : k;
}

std::size_t CounterWalk::batchAt(std::int64_t n, std::int64_t &next) const
{
    auto count = static_cast<std::int64_t>(batchLimit);
    if (step_ != 0)
        count = std::min(count, (last_ - n) / step_ + 1);
    if (const std::int64_t k = stepsToCheckpoint(n); k != 0)
        count = std::min(count, k);
    next = n + count * step_;
    return static_cast<std::size_t>(count);
}

std::uint64_t CounterWalk::pointCount() const
{
    if (step_ == 0)
        return inRange(0) ? std::numeric_limits<std::uint64_t>::max() : 0;
    if (!inRange(0))
        return 0;
    return static_cast<std::uint64_t>(end_ / step_) + 1;
}

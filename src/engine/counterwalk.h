// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// The counter values of one drawing, 0, step, 2 step, ... up to `end`, cut
// into batches: the points from one checkpoint (or the start) up to the next,
// at most `batchLimit` of them, which share colour and placement. The counter
// stays a 32-bit value: a step that would leave the range ends the drawing.
class CounterWalk {
public:
    static constexpr std::size_t batchLimit = 16384;

    CounterWalk(std::int64_t end, std::int64_t step, std::int64_t checkpointSpacing);

    std::int64_t step() const { return step_; }
    bool inRange(std::int64_t n) const;
    // The number of points of the batch that begins at `n` (in range);
    // `next` receives the counter value after its last point.
    std::size_t batchAt(std::int64_t n, std::int64_t &next) const;
    // How many counter values the drawing visits; the largest count when it
    // would never end by itself.
    std::uint64_t pointCount() const;

private:
    std::int64_t remainder(std::int64_t value) const;
    // The steps from `n` to the next checkpoint, at least 1; 0 when the walk
    // never meets one again.
    std::int64_t stepsToCheckpoint(std::int64_t n) const;

    std::int64_t end_;
    std::int64_t step_;
    std::int64_t spacing_;
    // The last counter value within the 32-bit range and `end`.
    std::int64_t last_;
    std::int64_t stepRemainder_;
    // The step's remainder visits every multiple of `divisor_` below the
    // spacing, `cycle_` of them; `inverse_` undoes it modulo `cycle_`.
    std::int64_t divisor_ = 1;
    std::int64_t cycle_ = 1;
    std::int64_t inverse_ = 0;
};

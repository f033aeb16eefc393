#include "counterwalk.h"

#include <limits>

CounterWalk::CounterWalk(std::int64_t end, std::int64_t step, std::int64_t checkpointSpacing)
    : end_(end), step_(step), spacing_(checkpointSpacing), stepRemainder_(remainder(step))
{
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

std::size_t CounterWalk::batchAt(std::int64_t n, std::int64_t &next) const
{
    // Counting the remainder along avoids a division per point.
    std::size_t count = 1;
    next = n + step_;
    std::int64_t r = remainder(next);
    while (count < batchLimit && r != 0 && inRange(next)) {
        ++count;
        next += step_;
        r += stepRemainder_;
        if (r >= spacing_)
            r -= spacing_;
    }
    return count;
}

std::uint64_t CounterWalk::pointCount() const
{
    if (step_ == 0)
        return inRange(0) ? std::numeric_limits<std::uint64_t>::max() : 0;
    if (!inRange(0))
        return 0;
    return static_cast<std::uint64_t>(end_ / step_) + 1;
}

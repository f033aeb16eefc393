// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "counterwalk.h"
#include "curve.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The points of one drawing computed ahead of the drawing run on a second
// thread, batch by batch as the run cuts the walk, so that they come out
// exactly as the run would compute them itself. They wait in a ring of fixed
// size: memory stays the same however long the drawing, and the second
// thread rests while the ring is full. The run takes the batches in counter
// order and never waits: a batch that the second thread has not finished yet
// the run computes itself, and the second thread then moves on past it, so
// that a busy processor makes the drawing no slower than without the thread.
// Nor does the end of the drawing wait for the second thread: told to stop,
// it ends by itself.
class PointsAhead {
public:
    PointsAhead(const CurveParameters &parameters, const CounterWalk &walk, std::int32_t drawLeftOffset,
                std::int32_t drawTopOffset);
    ~PointsAhead();
    PointsAhead(const PointsAhead &) = delete;
    PointsAhead &operator=(const PointsAhead &) = delete;

    // The points of the walk's next batch, the `count` points from `n`.
    // They stay valid until the next call.
    const CurvePointF *take(std::int64_t n, std::size_t count);

private:
    // What both threads share; the second thread keeps it until it ends.
    struct Ring;
    std::shared_ptr<Ring> ring_;

    // Tells the second thread that the run no longer needs the ring before
    // `passed`.
    void tell(std::uint64_t passed);

    // The run's side: the end of its current batch in the ring, what it told
    // the second thread last, how far it saw the second thread last, and the
    // points of the batches it computes itself.
    std::uint64_t runEnd_ = 0;
    std::uint64_t told_ = 0;
    std::uint64_t doneSeen_ = 0;
    std::unique_ptr<CurvePointF[]> own_;
};

#pragma once

#include "counterwalk.h"
#include "curve.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// The points of one drawing computed ahead of the drawing run on a second
// thread, batch by batch as the run cuts the walk, so that they come out
// exactly as the run would compute them itself. They wait in a ring of fixed
// size: memory stays the same however long the drawing, and the second
// thread rests while the ring is full. The run takes the batches in counter
// order and never waits: a batch that the second thread has not finished yet
// the run computes itself, and the second thread then moves on past it, so
// that a busy processor makes the drawing no slower than without the thread.
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
    // Positions in the ring count every point ever placed, so that they only
    // grow; a batch never wraps around the ring's end but starts afresh at
    // its beginning.
    static std::uint64_t place(std::uint64_t position, std::size_t count);
    void compute(std::int64_t n, std::size_t count, CurvePointF *out) const;
    void work();
    // Waits until the run has passed `position`, or stops; false to stop.
    bool waitForRun(std::uint64_t position);
    void wakeWorker();

    const CurveParameters parameters_;
    const CounterWalk walk_;
    const std::int32_t drawLeftOffset_;
    const std::int32_t drawTopOffset_;

    std::vector<CurvePointF> ring_;
    // The end of the last batch the second thread finished.
    alignas(64) std::atomic<std::uint64_t> done_{0};
    // Where the run no longer needs the ring: the end of the batch it set
    // last, or of the one it computes itself.
    alignas(64) std::atomic<std::uint64_t> passed_{0};
    std::atomic<bool> sleeping_{false};
    std::atomic<std::uint64_t> wakeAt_{0};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;

    // The run's side: the end of its current batch, and the points of the
    // batches it computes itself.
    std::uint64_t runEnd_ = 0;
    std::vector<CurvePointF> own_;

    std::thread worker_;
};

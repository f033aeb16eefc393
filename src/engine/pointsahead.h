#pragma once

#include "counterwalk.h"
#include "curve.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// The points of one drawing computed ahead of the drawing run on a second
// thread, in the run's own batches, so that they come out exactly as the run
// would compute them itself. The batches are grouped into chunks, of which
// only a few exist at once: memory stays the same however long the drawing.
// The run takes the batches in counter order. It never waits: a chunk that
// the second thread has not finished yet the run computes itself, so that a
// busy processor makes the drawing no slower than without the thread, and
// both threads share the formula whenever setting the points is quicker.
class PointsAhead {
public:
    PointsAhead(const CurveParameters &parameters, const CounterWalk &walk, std::int32_t drawLeftOffset,
                std::int32_t drawTopOffset);
    ~PointsAhead();
    PointsAhead(const PointsAhead &) = delete;
    PointsAhead &operator=(const PointsAhead &) = delete;

    // The points of the next batch of the walk, counting from its start.
    const CurvePointF *take();

private:
    static constexpr std::uint64_t none = ~std::uint64_t(0);
    struct Chunk {
        std::vector<std::int64_t> firsts;
        std::vector<std::size_t> counts;
        std::vector<CurvePointF> points;
        // The number of the chunk whose points `points` holds complete.
        std::uint64_t done = none;
    };
    static constexpr std::size_t chunkCount = 3;

    // Both under the lock.
    bool claimable() const;
    void claim(Chunk &chunk);
    void compute(const Chunk &chunk, CurvePointF *out) const;
    void work();
    void nextChunk();

    const CurveParameters parameters_;
    const CounterWalk walk_;
    const std::int32_t drawLeftOffset_;
    const std::int32_t drawTopOffset_;

    std::array<Chunk, chunkCount> chunks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // The counter value where the first chunk not yet claimed begins.
    std::int64_t unclaimedStart_ = 0;
    std::uint64_t claimed_ = 0;
    std::uint64_t released_ = 0;
    bool stopping_ = false;

    // The run's side: the chunk being taken, where its points are, and its
    // next batch. The run's own chunk holds what it computes itself, so that
    // it never writes where the second thread may still be writing.
    const Chunk *current_ = nullptr;
    const CurvePointF *currentPoints_ = nullptr;
    std::size_t nextBatch_ = 0;
    std::size_t nextPoint_ = 0;
    Chunk own_;

    std::thread worker_;
};

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
// The run takes the batches in counter order; a chunk that the second thread
// has not begun yet the run computes itself, so both threads share the
// formula whenever setting the points is the quicker part.
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
    struct Chunk {
        std::vector<std::int64_t> firsts;
        std::vector<std::size_t> counts;
        std::vector<CurvePointF> points;
        bool ready = false;
    };
    static constexpr std::size_t chunkCount = 3;

    // Both under the lock.
    bool claimable() const;
    Chunk &claim();
    void compute(Chunk &chunk) const;
    void work();
    Chunk &nextChunk();

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

    // The run's side: the chunk being taken and its next batch.
    Chunk *current_ = nullptr;
    std::size_t nextBatch_ = 0;
    std::size_t nextPoint_ = 0;

    std::thread worker_;
};

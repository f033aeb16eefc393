#include "pointsahead.h"

#include <system_error>

namespace {

// Points of one chunk, give or take a batch: large enough that the threads
// seldom meet at the lock, small enough to stay in the cache.
constexpr std::size_t chunkPoints = std::size_t(1) << 15;

} // namespace

PointsAhead::PointsAhead(const CurveParameters &parameters, const CounterWalk &walk,
                         std::int32_t drawLeftOffset, std::int32_t drawTopOffset)
    : parameters_(parameters), walk_(walk), drawLeftOffset_(drawLeftOffset), drawTopOffset_(drawTopOffset)
{
    for (Chunk &chunk : chunks_)
        chunk.points.resize(chunkPoints + CounterWalk::batchLimit);
    try {
        worker_ = std::thread([this] { work(); });
    } catch (const std::system_error &) {
        // Without a second thread the run computes every chunk itself.
    }
}

PointsAhead::~PointsAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

bool PointsAhead::claimable() const
{
    return claimed_ < released_ + chunkCount && walk_.inRange(unclaimedStart_);
}

PointsAhead::Chunk &PointsAhead::claim()
{
    Chunk &chunk = chunks_[claimed_ % chunkCount];
    ++claimed_;
    chunk.firsts.clear();
    chunk.counts.clear();
    std::size_t total = 0;
    std::int64_t n = unclaimedStart_;
    while (total < chunkPoints && walk_.inRange(n)) {
        std::int64_t next = 0;
        const std::size_t count = walk_.batchAt(n, next);
        chunk.firsts.push_back(n);
        chunk.counts.push_back(count);
        total += count;
        n = next;
    }
    unclaimedStart_ = n;
    return chunk;
}

void PointsAhead::compute(Chunk &chunk) const
{
    CurvePointF *out = chunk.points.data();
    for (std::size_t i = 0; i < chunk.firsts.size(); ++i) {
        curve::curvePoints(parameters_, static_cast<std::int32_t>(chunk.firsts[i]),
                           static_cast<std::int32_t>(walk_.step()), chunk.counts[i], drawLeftOffset_,
                           drawTopOffset_, out);
        out += chunk.counts[i];
    }
}

void PointsAhead::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || claimable() || !walk_.inRange(unclaimedStart_); });
        if (stopping_ || !walk_.inRange(unclaimedStart_))
            return;
        Chunk &chunk = claim();
        lock.unlock();
        compute(chunk);
        lock.lock();
        chunk.ready = true;
        changed_.notify_all();
    }
}

PointsAhead::Chunk &PointsAhead::nextChunk()
{
    std::unique_lock lock(mutex_);
    if (current_) {
        current_->ready = false;
        ++released_;
        changed_.notify_all();
    }
    Chunk &wanted = chunks_[released_ % chunkCount];
    if (claimed_ == released_) {
        Chunk &chunk = claim();
        lock.unlock();
        compute(chunk);
        return chunk;
    }
    changed_.wait(lock, [&wanted] { return wanted.ready; });
    return wanted;
}

const CurvePointF *PointsAhead::take()
{
    if (!current_ || nextBatch_ == current_->firsts.size()) {
        current_ = &nextChunk();
        nextBatch_ = 0;
        nextPoint_ = 0;
    }
    const CurvePointF *points = current_->points.data() + nextPoint_;
    nextPoint_ += current_->counts[nextBatch_];
    ++nextBatch_;
    return points;
}

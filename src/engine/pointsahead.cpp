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
    own_.points.resize(chunkPoints + CounterWalk::batchLimit);
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

void PointsAhead::claim(Chunk &chunk)
{
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
}

void PointsAhead::compute(const Chunk &chunk, CurvePointF *out) const
{
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
        const std::uint64_t number = claimed_;
        Chunk &chunk = chunks_[number % chunkCount];
        claim(chunk);
        lock.unlock();
        compute(chunk, chunk.points.data());
        lock.lock();
        chunk.done = number;
    }
}

void PointsAhead::nextChunk()
{
    std::unique_lock lock(mutex_);
    if (current_) {
        ++released_;
        changed_.notify_all();
    }
    const std::uint64_t number = released_;
    if (claimed_ == number) {
        claim(own_);
        lock.unlock();
        compute(own_, own_.points.data());
        current_ = &own_;
        currentPoints_ = own_.points.data();
        return;
    }
    // Claimed by the second thread, so its batches stay as they are until
    // the run releases it.
    const Chunk &chunk = chunks_[number % chunkCount];
    current_ = &chunk;
    if (chunk.done == number) {
        currentPoints_ = chunk.points.data();
        return;
    }
    lock.unlock();
    compute(chunk, own_.points.data());
    currentPoints_ = own_.points.data();
}

const CurvePointF *PointsAhead::take()
{
    if (!current_ || nextBatch_ == current_->firsts.size()) {
        nextChunk();
        nextBatch_ = 0;
        nextPoint_ = 0;
    }
    const CurvePointF *points = currentPoints_ + nextPoint_;
    nextPoint_ += current_->counts[nextBatch_];
    ++nextBatch_;
    return points;
}

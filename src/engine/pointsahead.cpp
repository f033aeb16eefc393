// SPDX-License-Identifier: GPL-3.0-or-later
#include "pointsahead.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// The ring's size in points: about a megabyte, many batches of the largest
// size, small enough to stay in the cache.
constexpr std::size_t ringPoints = std::size_t(1) << 17;

// Positions in the ring count every point ever placed, so that they only
// grow; a batch never wraps around the ring's end but starts afresh at its
// beginning.
std::uint64_t place(std::uint64_t position, std::size_t count)
{
    const std::uint64_t offset = position % ringPoints;
    return offset + count > ringPoints ? position + (ringPoints - offset) : position;
}

} // namespace

struct PointsAhead::Ring {
    Ring(const CurveParameters &parameters, const CounterWalk &walk, std::int32_t drawLeftOffset,
         std::int32_t drawTopOffset)
        : parameters(parameters), walk(walk), drawLeftOffset(drawLeftOffset), drawTopOffset(drawTopOffset),
          // Left unset: the second thread fills it, and pays for its pages.
          points(new CurvePointF[ringPoints])
    {
    }

    void compute(std::int64_t n, std::size_t count, CurvePointF *out) const
    {
        curve::curvePoints(parameters, static_cast<std::int32_t>(n), static_cast<std::int32_t>(walk.step()),
                           count, drawLeftOffset, drawTopOffset, out);
    }
    void work();
    // Waits until the run has passed `position`, or stops; false to stop.
    bool waitForRun(std::uint64_t position);
    void wakeWorker();
    void stop();

    const CurveParameters parameters;
    const CounterWalk walk;
    const std::int32_t drawLeftOffset;
    const std::int32_t drawTopOffset;
    const std::unique_ptr<CurvePointF[]> points;

    // The end of the last batch the second thread finished.
    alignas(64) std::atomic<std::uint64_t> done{0};
    // Where the run no longer needs the ring: no later than the end of the
    // batch it set last, or the end of the one it computes itself.
    alignas(64) std::atomic<std::uint64_t> passed{0};
    alignas(64) std::atomic<bool> sleeping{false};
    std::atomic<std::uint64_t> wakeAt{0};
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable wake;
};

void PointsAhead::Ring::work()
{
    std::uint64_t end = 0;
    for (std::int64_t n = 0; walk.inRange(n) && !stopping.load(std::memory_order_relaxed);) {
        std::int64_t next = 0;
        const std::size_t count = walk.batchAt(n, next);
        const std::uint64_t start = place(end, count);
        end = start + count;
        // A batch the run has taken already is passed over; one that would
        // overwrite points the run still needs waits until half the ring is
        // free again.
        if (end > passed.load(std::memory_order_acquire)) {
            if (end > passed.load(std::memory_order_acquire) + ringPoints &&
                !waitForRun(end - ringPoints / 2))
                return;
            if (end > passed.load(std::memory_order_acquire)) {
                compute(n, count, points.get() + start % ringPoints);
                done.store(end, std::memory_order_release);
            }
        }
        n = next;
    }
}

bool PointsAhead::Ring::waitForRun(std::uint64_t position)
{
    wakeAt.store(position);
    sleeping.store(true);
    std::unique_lock lock(mutex);
    wake.wait(lock, [this, position] { return stopping || passed.load() >= position; });
    sleeping.store(false);
    return !stopping;
}

void PointsAhead::Ring::wakeWorker()
{
    // Pairs with waitForRun: either the second thread sees where the run is,
    // or the run sees it asleep.
    if (sleeping.load() && passed.load(std::memory_order_relaxed) >= wakeAt.load()) {
        const std::lock_guard lock(mutex);
        wake.notify_one();
    }
}

void PointsAhead::Ring::stop()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_one();
}

PointsAhead::PointsAhead(const CurveParameters &parameters, const CounterWalk &walk,
                         std::int32_t drawLeftOffset, std::int32_t drawTopOffset)
    : ring_(std::make_shared<Ring>(parameters, walk, drawLeftOffset, drawTopOffset)),
      own_(new CurvePointF[CounterWalk::batchLimit])
{
    try {
        std::thread([ring = ring_] { ring->work(); }).detach();
    } catch (const std::system_error &) {
        // Without a second thread the run computes every batch itself.
    }
}

PointsAhead::~PointsAhead()
{
    ring_->stop();
}

void PointsAhead::tell(std::uint64_t passed)
{
    told_ = passed;
    ring_->passed.store(passed);
    ring_->wakeWorker();
}

const CurvePointF *PointsAhead::take(std::int64_t n, std::size_t count)
{
    // The batches set so far are free in the ring. The second thread hears
    // of it only now and then, so that the threads seldom share a cache line.
    if (runEnd_ - told_ >= ringPoints / 16)
        tell(runEnd_);
    const std::uint64_t start = place(runEnd_, count);
    runEnd_ = start + count;
    if (doneSeen_ < runEnd_)
        doneSeen_ = ring_->done.load(std::memory_order_acquire);
    if (doneSeen_ >= runEnd_)
        return ring_->points.get() + start % ringPoints;
    tell(runEnd_);
    ring_->compute(n, count, own_.get());
    return own_.get();
}

#include "pointsahead.h"

#include <system_error>

namespace {

// The ring's size in points: about a megabyte, many batches of the largest
// size, small enough to stay in the cache.
constexpr std::size_t ringPoints = std::size_t(1) << 17;

} // namespace

PointsAhead::PointsAhead(const CurveParameters &parameters, const CounterWalk &walk,
                         std::int32_t drawLeftOffset, std::int32_t drawTopOffset)
    : parameters_(parameters), walk_(walk), drawLeftOffset_(drawLeftOffset), drawTopOffset_(drawTopOffset),
      ring_(ringPoints), own_(CounterWalk::batchLimit)
{
    try {
        worker_ = std::thread([this] { work(); });
    } catch (const std::system_error &) {
        // Without a second thread the run computes every batch itself.
    }
}

PointsAhead::~PointsAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

std::uint64_t PointsAhead::place(std::uint64_t position, std::size_t count)
{
    const std::uint64_t offset = position % ringPoints;
    return offset + count > ringPoints ? position + (ringPoints - offset) : position;
}

void PointsAhead::compute(std::int64_t n, std::size_t count, CurvePointF *out) const
{
    curve::curvePoints(parameters_, static_cast<std::int32_t>(n), static_cast<std::int32_t>(walk_.step()),
                       count, drawLeftOffset_, drawTopOffset_, out);
}

void PointsAhead::work()
{
    std::uint64_t end = 0;
    for (std::int64_t n = 0; walk_.inRange(n) && !stopping_.load(std::memory_order_relaxed);) {
        std::int64_t next = 0;
        const std::size_t count = walk_.batchAt(n, next);
        const std::uint64_t start = place(end, count);
        end = start + count;
        // A batch the run has taken already is passed over; one that would
        // overwrite points the run still needs waits until half the ring is
        // free again.
        if (end > passed_.load(std::memory_order_acquire)) {
            if (end > passed_.load(std::memory_order_acquire) + ringPoints &&
                !waitForRun(end - ringPoints / 2))
                return;
            if (end > passed_.load(std::memory_order_acquire)) {
                compute(n, count, ring_.data() + start % ringPoints);
                done_.store(end, std::memory_order_release);
            }
        }
        n = next;
    }
}

bool PointsAhead::waitForRun(std::uint64_t position)
{
    wakeAt_.store(position);
    sleeping_.store(true);
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this, position] { return stopping_ || passed_.load() >= position; });
    sleeping_.store(false);
    return !stopping_;
}

void PointsAhead::wakeWorker()
{
    // Pairs with waitForRun: either the worker sees where the run is, or the
    // run sees the worker asleep.
    if (sleeping_.load() && passed_.load(std::memory_order_relaxed) >= wakeAt_.load()) {
        const std::lock_guard lock(mutex_);
        wake_.notify_one();
    }
}

const CurvePointF *PointsAhead::take(std::int64_t n, std::size_t count)
{
    // The previous batch is set: its place in the ring is free.
    passed_.store(runEnd_);
    wakeWorker();
    const std::uint64_t start = place(runEnd_, count);
    runEnd_ = start + count;
    if (done_.load(std::memory_order_acquire) >= runEnd_)
        return ring_.data() + start % ringPoints;
    passed_.store(runEnd_, std::memory_order_release);
    compute(n, count, own_.data());
    return own_.data();
}

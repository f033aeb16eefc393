// SPDX-License-Identifier: GPL-3.0-or-later
#include "framequeue.h"

#include <cerrno>

FrameQueue::FrameQueue(FrameSink &sink, std::size_t capacity)
    : sink_(sink), capacity_(capacity), thread_([this] { encode(); })
{
}

FrameQueue::~FrameQueue()
{
    close();
}

bool FrameQueue::push(const PixelImage &image, QSize size, int ticks)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < capacity_ || failed_; });
    if (failed_)
        return false;
    waiting_.push_back({image, size, ticks});
    changed_.notify_all();
    return true;
}

bool FrameQueue::close()
{
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
    return !failed();
}

bool FrameQueue::failed() const
{
    const std::lock_guard lock(mutex_);
    return failed_;
}

int FrameQueue::systemError() const
{
    const std::lock_guard lock(mutex_);
    return systemError_;
}

void FrameQueue::encode()
{
    for (;;) {
        Frame frame;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !waiting_.empty() || closing_; });
            if (waiting_.empty())
                return;
            frame = std::move(waiting_.front());
        }
        errno = 0;
        const bool added = sink_.add(frame.image.rows().corner(frame.size), frame.ticks);
        const int error = errno;
        // The frame leaves the queue only once encoded, so that no more than
        // `capacity` frames are ever held.
        frame = {};
        const std::lock_guard lock(mutex_);
        waiting_.pop_front();
        if (!added) {
            failed_ = true;
            systemError_ = error;
            waiting_.clear();
        }
        changed_.notify_all();
        if (failed_)
            return;
    }
}

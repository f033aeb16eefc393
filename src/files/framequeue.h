// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "framesink.h"
#include "pixelimage.h"

#include <QSize>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>

// Frames on their way to a sink that encodes them on a thread of its own:
// the drawing hands a frame over and goes on drawing while the one before is
// encoded. At most `capacity` frames wait, so the memory stays that of a few
// frames however long the animation; a full queue holds the drawing back.
class FrameQueue {
public:
    FrameQueue(FrameSink &sink, std::size_t capacity);
    ~FrameQueue();
    FrameQueue(const FrameQueue &) = delete;
    FrameQueue &operator=(const FrameQueue &) = delete;

    // Hands over the top-left `size` of `image`, shown for `ticks` ticks; the
    // image is shared, not copied. False once the sink has failed.
    bool push(const PixelImage &image, QSize size, int ticks);
    // Waits until every frame is encoded; true when the sink took them all.
    bool close();
    // Whether the sink has refused a frame.
    bool failed() const;
    // errno as the encoding thread's failed frame left it, so that the
    // device's failure can be told with its number.
    int systemError() const;

private:
    struct Frame {
        PixelImage image;
        QSize size;
        int ticks = 1;
    };
    void encode();

    FrameSink &sink_;
    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame> waiting_;
    bool closing_ = false;
    bool failed_ = false;
    int systemError_ = 0;
    std::thread thread_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracecanvas.h"

#include <algorithm>

TraceCanvas::TraceCanvas(Canvas &beneath, std::uint64_t points, int frames, FrameEnded ended)
    : beneath_(beneath), points_(points), frames_(std::max(1, frames)), onEnded_(std::move(ended))
{
}

std::uint64_t TraceCanvas::frameEnd(int frame) const
{
    // A drawing has at most 2^32 points and an animation 10000 frames, so the
    // product stays well within 64 bits.
    const std::uint64_t frames = std::uint64_t(frames_);
    return (points_ * std::uint64_t(frame + 1) + frames - 1) / frames;
}

void TraceCanvas::pset(float x, float y, colors::Color color)
{
    const CurvePointF point{x, y};
    psetMany(&point, 1, color);
}

void TraceCanvas::psetMany(const CurvePointF *points, std::size_t count, colors::Color color)
{
    while (count > 0) {
        // Frames that end before the next point, for example when there are
        // more frames than points.
        while (ended_ < frames_ - 1 && frameEnd(ended_) <= set_)
            onEnded_(ended_++);
        std::size_t part = count;
        if (ended_ < frames_ - 1)
            part = std::size_t(std::min<std::uint64_t>(count, frameEnd(ended_) - set_));
        beneath_.psetMany(points, part, color);
        points += part;
        count -= part;
        set_ += part;
    }
    while (ended_ < frames_ - 1 && frameEnd(ended_) <= set_)
        onEnded_(ended_++);
}

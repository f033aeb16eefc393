// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"

#include <cstdint>
#include <functional>

// The canvas a traced animation draws through: every operation goes on to
// the canvas beneath unchanged, and the points are counted, so that the
// drawing pauses where a frame ends. Frame k of `frames` (from 0) ends after
// point ceil((k + 1) x points / frames); the last frame is the drawing once
// it has ended, so it is never announced here. A batch of points is split at
// a frame's end: the points are set one after another either way, so the
// picture is the same.
class TraceCanvas : public Canvas {
public:
    // Called with the frame whose points are all set.
    using FrameEnded = std::function<void(int frame)>;

    TraceCanvas(Canvas &beneath, std::uint64_t points, int frames, FrameEnded ended);

    void setBackColor(colors::Color color) override { beneath_.setBackColor(color); }
    void pset(float x, float y, colors::Color color) override;
    void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) override;
    void line(float x1, float y1, float x2, float y2, colors::Color color) override
    {
        beneath_.line(x1, y1, x2, y2, color);
    }
    int drawMode() const override { return beneath_.drawMode(); }
    int drawWidth() const override { return beneath_.drawWidth(); }
    void setDrawMode(int mode) override { beneath_.setDrawMode(mode); }

    // The frames announced so far.
    int framesEnded() const { return ended_; }
    // The point after which frame `frame` ends.
    std::uint64_t frameEnd(int frame) const;

private:
    Canvas &beneath_;
    std::uint64_t points_;
    int frames_;
    FrameEnded onEnded_;
    std::uint64_t set_ = 0;
    int ended_ = 0;
};

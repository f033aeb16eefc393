// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "framesink.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

struct GifFileType;

// An animated GIF written with giflib, looping for ever. Each frame is the
// rectangle that changed since the one before, drawn over it, with a colour
// table of its own: the colours met so far in the order they were met, the
// background first. The frames are exact while the drawing has at most 256
// colours; a colour met after that takes the nearest one of the table. A
// frame's delay is in hundredths of a second, rounded so that the delays
// add up to the frames' time.
class GifSink : public FrameSink {
public:
    ~GifSink() override;

    bool begin(QIODevice &device, QSize size, int fps) override;
    bool add(const PixelRows &frame, int ticks) override;
    bool finish(const QByteArray &note) override;

    // How many colours the table holds, and whether a colour had to be
    // replaced by a near one.
    int colourCount() const { return int(colours_.size()); }
    bool approximated() const { return approximated_; }

    static constexpr int largestSide = 65535;

private:
    std::uint8_t indexOf(std::uint32_t pixel);
    bool failed(const char *what);

    GifFileType *gif_ = nullptr;
    QSize size_;
    int fps_ = 1;
    std::int64_t ticks_ = 0;
    // The pixels of the frame before, to find what changed.
    std::vector<std::uint32_t> previous_;
    bool first_ = true;
    std::vector<std::uint32_t> colours_;
    std::unordered_map<std::uint32_t, std::uint8_t> indices_;
    bool approximated_ = false;
    std::vector<std::uint8_t> line_;
};

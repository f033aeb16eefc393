// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "framesink.h"

#include <cstdint>

struct WebPAnimEncoder;

// An animated WebP written with libwebp's animation encoder, lossless,
// looping for ever, with the note in an XMP chunk. The encoder keeps the
// compressed frames until the end, when the file is assembled and written.
class WebPSink : public FrameSink {
public:
    ~WebPSink() override;

    bool begin(QIODevice &device, QSize size, int fps) override;
    bool add(const PixelRows &frame, int ticks) override;
    bool finish(const QByteArray &note) override;

    static constexpr int largestSide = 16383;

private:
    QIODevice *device_ = nullptr;
    WebPAnimEncoder *encoder_ = nullptr;
    QSize size_;
    int fps_ = 1;
    std::int64_t ticks_ = 0;
};

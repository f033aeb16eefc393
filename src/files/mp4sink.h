// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "framesink.h"

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

// An MP4 video: H.264 (libx264 when libavcodec has it) in yuv420p at a
// constant frame rate, written with libavformat with its index at the start
// ("faststart"), so that a browser plays it while it loads. yuv420p needs an
// even width and height: an odd one gets one more column or row, a copy of
// the last. A frame of several ticks is repeated. The note is the file's
// comment. The file is made in memory without a name, as the index is moved
// to the front at the end, and then copied to the device.
class Mp4Sink : public FrameSink {
public:
    ~Mp4Sink() override;

    bool begin(QIODevice &device, QSize size, int fps) override;
    bool add(const PixelRows &frame, int ticks) override;
    bool finish(const QByteArray &note) override;

    // The largest picture of H.264's highest level, in 16x16 blocks.
    static constexpr std::int64_t largestBlocks = 139264;
    // The size a picture is coded at: even in both directions.
    static QSize codedSize(QSize size)
    {
        return QSize(size.width() + (size.width() & 1), size.height() + (size.height() & 1));
    }

private:
    bool failed(const char *what, int code);
    bool send(const AVFrame *frame);
    void release();

    QIODevice *device_ = nullptr;
    QSize size_;
    QSize coded_;
    int fd_ = -1;
    AVCodecContext *codec_ = nullptr;
    AVFormatContext *format_ = nullptr;
    AVStream *stream_ = nullptr;
    AVFrame *frame_ = nullptr;
    AVPacket *packet_ = nullptr;
    SwsContext *scale_ = nullptr;
    std::int64_t ticks_ = 0;
    // An odd-sized frame with its last column or row doubled.
    std::vector<std::uint32_t> padded_;
};

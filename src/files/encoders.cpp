// SPDX-License-Identifier: GPL-3.0-or-later
// The encoders' module: giflib, libwebp and libavcodec with the many
// libraries they bring are loaded only when an animation is written, so that
// a still picture starts as fast as before.
#include "fileformat.h"
#include "gifsink.h"
#include "mp4sink.h"
#include "webpsink.h"

extern "C" __attribute__((visibility("default"))) FrameSink *volutra_frame_sink(int format)
{
    switch (static_cast<fileformat::Format>(format)) {
    case fileformat::Format::Gif: return new GifSink;
    case fileformat::Format::WebP: return new WebPSink;
    default: return new Mp4Sink;
    }
}

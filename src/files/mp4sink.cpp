// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp4sink.h"

#include <QIODevice>

#include <cerrno>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

QString libraryError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

Mp4Sink::~Mp4Sink()
{
    release();
}

void Mp4Sink::release()
{
    if (format_) {
        avio_closep(&format_->pb);
        avformat_free_context(format_);
        format_ = nullptr;
    }
    avcodec_free_context(&codec_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    sws_freeContext(scale_);
    scale_ = nullptr;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool Mp4Sink::failed(const char *what, int code)
{
    return fail(QString("MP4 %1: %2").arg(what, libraryError(code)));
}

bool Mp4Sink::begin(QIODevice &device, QSize size, int fps)
{
    device_ = &device;
    size_ = size;
    coded_ = codedSize(size);
    const std::int64_t blocks = std::int64_t((coded_.width() + 15) / 16) * ((coded_.height() + 15) / 16);
    if (blocks > largestBlocks)
        return fail(QString("%1x%2 is beyond the largest H.264 picture (%3 blocks of 16x16 pixels, such as "
                            "8192x4352)")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(largestBlocks));
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec)
        return fail("this libavcodec has no H.264 encoder");
    codec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!codec_ || !frame_ || !packet_)
        return failed("start", AVERROR(ENOMEM));
    codec_->width = coded_.width();
    codec_->height = coded_.height();
    codec_->time_base = AVRational{1, fps};
    codec_->framerate = AVRational{fps, 1};
    codec_->pix_fmt = AV_PIX_FMT_YUV420P;
    // swscale's conversion: BT.601 in the limited range, said so in the file.
    codec_->colorspace = AVCOL_SPC_SMPTE170M;
    codec_->color_primaries = AVCOL_PRI_SMPTE170M;
    codec_->color_trc = AVCOL_TRC_SMPTE170M;
    codec_->color_range = AVCOL_RANGE_MPEG;
    // Without B-frames no frame waits for a later one, so the first frame
    // starts the video and the count of frames is the count given.
    codec_->max_b_frames = 0;
    av_opt_set(codec_->priv_data, "preset", "veryfast", 0);
    av_opt_set(codec_->priv_data, "crf", "12", 0);

    const QByteArray path =
        "/proc/self/fd/" + QByteArray::number(fd_ = ::memfd_create("volutra-mp4", MFD_CLOEXEC));
    if (fd_ < 0)
        return failed("start", AVERROR(errno));
    if (const int code = avformat_alloc_output_context2(&format_, nullptr, "mp4", path.constData()); code < 0)
        return failed("start", code);
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int code = avcodec_open2(codec_, codec, nullptr); code < 0)
        return fail(QString("the H.264 encoder refuses %1x%2: %3")
                        .arg(coded_.width())
                        .arg(coded_.height())
                        .arg(libraryError(code)));
    stream_ = avformat_new_stream(format_, nullptr);
    if (!stream_)
        return failed("start", AVERROR(ENOMEM));
    stream_->time_base = codec_->time_base;
    if (const int code = avcodec_parameters_from_context(stream_->codecpar, codec_); code < 0)
        return failed("start", code);
    if (const int code = avio_open(&format_->pb, path.constData(), AVIO_FLAG_WRITE); code < 0)
        return failed("start", code);
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "faststart", 0);
    const int written = avformat_write_header(format_, &options);
    av_dict_free(&options);
    if (written < 0)
        return failed("start", written);

    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = coded_.width();
    frame_->height = coded_.height();
    if (const int code = av_frame_get_buffer(frame_, 0); code < 0)
        return failed("start", code);
    scale_ = sws_getContext(coded_.width(), coded_.height(), AV_PIX_FMT_RGB32, coded_.width(),
                            coded_.height(), AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    if (!scale_)
        return fail("MP4: no conversion to yuv420p");
    if (coded_ != size_)
        padded_.resize(std::size_t(coded_.width()) * std::size_t(coded_.height()));
    return true;
}

bool Mp4Sink::send(const AVFrame *frame)
{
    if (const int code = avcodec_send_frame(codec_, frame); code < 0)
        return failed("frame", code);
    for (;;) {
        const int code = avcodec_receive_packet(codec_, packet_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return true;
        if (code < 0)
            return failed("frame", code);
        // Every frame lasts one tick; the encoder leaves that unsaid, and the
        // last frame would otherwise last nothing.
        if (packet_->duration == 0)
            packet_->duration = 1;
        av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        if (const int put = av_interleaved_write_frame(format_, packet_); put < 0)
            return failed("write", put);
    }
}

bool Mp4Sink::add(const PixelRows &frame, int ticks)
{
    const std::uint8_t *source = reinterpret_cast<const std::uint8_t *>(frame.first);
    int stride = int(frame.stride * 4);
    if (!padded_.empty()) {
        const int width = size_.width();
        const int codedWidth = coded_.width();
        for (int y = 0; y < coded_.height(); ++y) {
            const std::uint32_t *row = frame.row(std::min(y, size_.height() - 1));
            std::uint32_t *out = &padded_[std::size_t(y) * std::size_t(codedWidth)];
            std::memcpy(out, row, std::size_t(width) * sizeof(std::uint32_t));
            if (codedWidth > width)
                out[width] = row[width - 1];
        }
        source = reinterpret_cast<const std::uint8_t *>(padded_.data());
        stride = codedWidth * 4;
    }
    if (const int code = av_frame_make_writable(frame_); code < 0)
        return failed("frame", code);
    sws_scale(scale_, &source, &stride, 0, coded_.height(), frame_->data, frame_->linesize);
    for (int i = 0; i < ticks; ++i) {
        frame_->pts = ticks_++;
        if (!send(frame_))
            return false;
    }
    return true;
}

bool Mp4Sink::finish(const QByteArray &note)
{
    if (!send(nullptr))
        return false;
    av_dict_set(&format_->metadata, "comment", note.constData(), 0);
    if (const int code = av_write_trailer(format_); code < 0)
        return failed("write", code);
    avio_closep(&format_->pb);
    // The finished file, from memory to the device.
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        return failed("write", AVERROR(errno));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed("write", AVERROR(errno));
        if (got == 0)
            break;
        // The device's own failure is told by the writer, with its error
        // number.
        if (device_->write(buffer, got) != got)
            return false;
    }
    release();
    return true;
}

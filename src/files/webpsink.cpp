// SPDX-License-Identifier: GPL-3.0-or-later
#include "webpsink.h"

#include <QIODevice>

#include <cmath>
#include <memory>

#include <webp/encode.h>
#include <webp/mux.h>

namespace {

std::int64_t millisecondsAt(std::int64_t ticks, int fps)
{
    return std::llround(double(ticks) * 1000 / fps);
}

// The note as an XMP packet: its text, escaped, as the description.
QByteArray xmpPacket(const QByteArray &note)
{
    QByteArray text = note;
    text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    return "<?xpacket begin=\"\xef\xbb\xbf\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           text +
           "</rdf:li></rdf:Alt></dc:description>\n"
           "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
}

struct MuxDeleter {
    void operator()(WebPMux *mux) const { WebPMuxDelete(mux); }
};

} // namespace

WebPSink::~WebPSink()
{
    if (encoder_)
        WebPAnimEncoderDelete(encoder_);
}

bool WebPSink::begin(QIODevice &device, QSize size, int fps)
{
    if (size.width() > largestSide || size.height() > largestSide)
        return fail(QString("a WebP holds at most %1 pixels a side").arg(largestSide));
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        return fail("the WebP library does not match its header");
    options.anim_params.loop_count = 0;
    // Each frame is coded as what changed since the one before; a key frame
    // now and then would code the whole canvas again for nothing.
    options.kmax = 0;
    encoder_ = WebPAnimEncoderNew(size.width(), size.height(), &options);
    if (!encoder_)
        return fail("the WebP encoder refused the size");
    device_ = &device;
    size_ = size;
    fps_ = fps;
    return true;
}

bool WebPSink::add(const PixelRows &frame, int ticks)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        return fail("the WebP library does not match its header");
    config.lossless = 1;
    // The fastest lossless coding: a figure's frames are large and mostly
    // one colour, which it packs well already.
    config.method = 0;
    config.quality = 0;
    config.exact = 1;
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        return fail("the WebP library does not match its header");
    picture.use_argb = 1;
    picture.width = size_.width();
    picture.height = size_.height();
    // The encoder copies the frame; its pixels are 0xAARRGGBB as ours are.
    picture.argb = const_cast<std::uint32_t *>(frame.first);
    picture.argb_stride = int(frame.stride);
    const bool added = WebPAnimEncoderAdd(encoder_, &picture, int(millisecondsAt(ticks_, fps_)), &config);
    ticks_ += ticks;
    if (!added)
        return fail(QString("WebP: %1").arg(WebPAnimEncoderGetError(encoder_)));
    return true;
}

bool WebPSink::finish(const QByteArray &note)
{
    WebPData assembled;
    WebPDataInit(&assembled);
    if (!WebPAnimEncoderAdd(encoder_, nullptr, int(millisecondsAt(ticks_, fps_)), nullptr) ||
        !WebPAnimEncoderAssemble(encoder_, &assembled))
        return fail(QString("WebP: %1").arg(WebPAnimEncoderGetError(encoder_)));
    std::unique_ptr<WebPMux, MuxDeleter> mux(WebPMuxCreate(&assembled, 1));
    WebPDataClear(&assembled);
    if (!mux)
        return fail("WebP: the assembled animation could not be read back");
    const QByteArray xmp = xmpPacket(note);
    WebPData chunk{reinterpret_cast<const std::uint8_t *>(xmp.constData()), std::size_t(xmp.size())};
    WebPData file;
    WebPDataInit(&file);
    if (WebPMuxSetChunk(mux.get(), "XMP ", &chunk, 1) != WEBP_MUX_OK ||
        WebPMuxAssemble(mux.get(), &file) != WEBP_MUX_OK)
        return fail("WebP: the note could not be added");
    const qint64 length = qint64(file.size);
    const bool written = device_->write(reinterpret_cast<const char *>(file.bytes), length) == length;
    WebPDataClear(&file);
    // The device's own failure is told by the writer, with its error number.
    return written;
}

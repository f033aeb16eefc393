// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageview.h"

namespace imageview {

namespace {

using Held = std::shared_ptr<const std::uint32_t[]>;

void release(void *held)
{
    delete static_cast<Held *>(held);
}

} // namespace

QImage wrap(const PixelImage &pixels, double devicePixelRatio)
{
    if (pixels.isNull())
        return QImage();
    auto *held = new Held(pixels.sharedPixels());
    // Read-only data: whoever writes to the image gets a copy of their own.
    QImage image(reinterpret_cast<const uchar *>(held->get()), pixels.width(), pixels.height(),
                 pixels.stride() * qsizetype(sizeof(std::uint32_t)), QImage::Format_RGB32, release, held);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

PixelRows rowsOf(const QImage &image)
{
    if (image.isNull())
        return {};
    return {reinterpret_cast<const std::uint32_t *>(image.constBits()),
            image.bytesPerLine() / qsizetype(sizeof(std::uint32_t)), image.width(), image.height()};
}

PixelImage copyOf(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    PixelImage pixels(rgb.size());
    pixels.copyCorner(rowsOf(rgb));
    return pixels;
}

} // namespace imageview

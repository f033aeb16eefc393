// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmpfile.h"

#include "imageview.h"

#include <QImage>

namespace bmpfile {

namespace {

// Without a resolution of its own an image is said to have 72 dots an inch.
constexpr int defaultDotsPerMeter = 2834;

} // namespace

std::optional<Failure> write(const QString &path, const QImage &image)
{
    if (image.isNull())
        return failures::make(failures::InvalidPicture);
    const bool asItIs = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    const QImage pixels = asItIs ? image
                                 : image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                                 : QImage::Format_RGB32);
    return write(path, imageview::rowsOf(pixels),
                 image.dotsPerMeterX() ? image.dotsPerMeterX() : defaultDotsPerMeter,
                 image.dotsPerMeterY() ? image.dotsPerMeterY() : defaultDotsPerMeter);
}

} // namespace bmpfile

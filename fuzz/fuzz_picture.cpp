// SPDX-License-Identifier: GPL-3.0-or-later
// Loads any bytes as a background picture: a bitmap becomes the picture
// beneath a small surface, anything else is refused as an invalid picture
// and leaves the surface as it was.
#include "drawingsurface.h"
#include "failure.h"
#include "fuzzcheck.h"
#include "quietqt.h"
#include "surfaceimages.h"

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    DrawingSurface surface(QSize(40, 30));
    const QImage before = surfaceimages::screenImage(surface);
    const auto failure = surfaceimages::loadPictureData(surface, bytes);
    check(surface.size() == QSize(40, 30));
    if (failure) {
        check(failure->number == failures::InvalidPicture);
        check(surfaceimages::picture(surface).isNull());
        check(surfaceimages::screenImage(surface) == before);
        return 0;
    }
    const QImage &picture = surfaceimages::picture(surface);
    check(!picture.isNull() && picture.format() == QImage::Format_RGB32);
    check(surfaceimages::screenImage(surface).size() == before.size());
    // The picture's top left pixel shows in the top left corner.
    check(surfaceimages::screenImage(surface).pixel(0, 0) == picture.pixel(0, 0));
    return 0;
}

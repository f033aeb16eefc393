// SPDX-License-Identifier: GPL-3.0-or-later
#include "surfaceimages.h"

#include "fileopen.h"
#include "imageview.h"
#include "safesave.h"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cerrno>

namespace {

// Qt's image reader decodes no image beyond 128 MB by default, and the pixels
// of a bitmap take no more room in its file than in the image: a larger file
// is no picture that can be loaded, and reading on from a device without an
// end (such as /dev/zero) would only fill the memory.
constexpr qint64 maxPictureFileBytes = qint64(160) << 20;

// A buffer that remembers whether a read came back short: the bitmap reader
// accepts a file that ends before its pixels do and fills in the rest.
class WatchedBuffer : public QBuffer {
public:
    bool ranShort() const { return ranShort_; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 read = QBuffer::readData(data, maxSize);
        if (read < maxSize)
            ranShort_ = true;
        return read;
    }

private:
    bool ranShort_ = false;
};

std::optional<Failure> loadPictureFrom(DrawingSurface &surface, QIODevice &device)
{
    if (!device.isSequential() && device.size() > maxPictureFileBytes)
        return failures::make(failures::InvalidPicture);
    QByteArray bytes;
    while (bytes.size() <= maxPictureFileBytes) {
        const QByteArray chunk = device.read(qint64(1) << 20);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (bytes.size() > maxPictureFileBytes)
        return failures::make(failures::InvalidPicture);
    WatchedBuffer buffer;
    buffer.setData(bytes);
    // Unbuffered, every read asks for just what the reader needs.
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    const QImage picture = reader.read();
    if (picture.isNull() || buffer.ranShort())
        return failures::make(failures::InvalidPicture);
    surfaceimages::setPicture(surface,
                              surfaceimages::pictureInDevicePixels(picture, surface.devicePixelRatio()));
    return std::nullopt;
}

} // namespace

namespace surfaceimages {

void setDevicePixelRatio(DrawingSurface &surface, double ratio)
{
    surface.setDevicePixelRatio(ratio, [](const PixelImage &image, QSize size) {
        return imageview::copyOf(
            imageview::wrap(image).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    });
}

QImage picture(const DrawingSurface &surface)
{
    return imageview::wrap(surface.picture());
}

void setPicture(DrawingSurface &surface, const QImage &picture)
{
    surface.setPicture(imageview::copyOf(picture));
}

QImage pictureInDevicePixels(const QImage &picture, double ratio)
{
    // A picture that states the resolution of a screen ratio, 96 dots an
    // inch times 1 to 4 in quarters, as the program writes them, holds that
    // ratio's device pixels: a bitmap saved at a ratio of 2 states 192. Any
    // other resolution (72 from many programs, or none) stands for logical
    // pixels.
    constexpr double metresPerInch = 0.0254;
    constexpr long logicalDotsPerInch = 96;
    const long dotsPerInch = std::lround(picture.dotsPerMeterX() * metresPerInch);
    const bool screenRatio =
        dotsPerInch >= logicalDotsPerInch && dotsPerInch <= 4 * logicalDotsPerInch && dotsPerInch % 24 == 0;
    const double pictureRatio = screenRatio ? double(dotsPerInch) / logicalDotsPerInch : 1.0;
    const double scale = ratio / pictureRatio;
    const QSize size(std::max(1L, std::lround(picture.width() * scale)),
                     std::max(1L, std::lround(picture.height() * scale)));
    if (size == picture.size())
        return picture;
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage screenImage(const DrawingSurface &surface)
{
    return imageview::wrap(surface.screen(), surface.devicePixelRatio());
}

QImage image(const DrawingSurface &surface)
{
    const PixelImage &kept = surface.persistent();
    const QSize device = surface.deviceSize();
    const QImage shown = imageview::wrap(kept, surface.devicePixelRatio());
    return kept.size() == device ? shown : shown.copy(QRect(QPoint(0, 0), device));
}

std::optional<Failure> saveImage(const DrawingSurface &surface, const QString &path, const char *format)
{
    if (qstricmp(format, "BMP") == 0)
        return surface.saveImage(path);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image(surface).save(&buffer, format))
        return failures::make(failures::InvalidPicture);
    return safesave::writeFile(path, bytes);
}

std::optional<Failure> loadPicture(DrawingSurface &surface, const QString &path)
{
    QFile file(path);
    errno = 0;
    // A pipe that nobody writes into reads as an empty file.
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return failures::fromFile(file, path, errno);
    return loadPictureFrom(surface, file);
}

std::optional<Failure> loadPictureData(DrawingSurface &surface, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadPictureFrom(surface, buffer);
}

} // namespace surfaceimages

// The surface's side that speaks in Qt images: handing out and taking
// pictures, reading bitmaps, writing Qt's other formats, and scaling to a new
// device pixel ratio.
#include "drawingsurface.h"

#include "fileopen.h"
#include "imageview.h"
#include "safesave.h"

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

} // namespace

void DrawingSurface::setDevicePixelRatio(double ratio)
{
    // A ratio beyond any screen's would only ask for giant images.
    if (!(ratio > 0 && ratio <= 16) || ratio == ratio_)
        return;
    const double scale = ratio / ratio_;
    ratio_ = ratio;
    twipsPerDevicePixel_ = twipsPerPixel_ / ratio;
    const QSize device = deviceSize();
    for (PixelImage *image : {&screen_, &persistent_}) {
        if (image == &persistent_ && oneImage_)
            break;
        const QSize scaled = scaledSize(image->size(), scale).expandedTo(device);
        if (blank_)
            *image = PixelImage(scaled);
        else
            *image = imageview::copyOf(
                imageview::wrap(*image).scaled(scaled, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    changed(QRect(QPoint(0, 0), screen_.size()));
}

QImage DrawingSurface::picture() const
{
    return imageview::wrap(picture_);
}

void DrawingSurface::setPicture(const QImage &picture)
{
    picture_ = imageview::copyOf(picture);
    paintBackground(true);
}

QImage DrawingSurface::screenImage() const
{
    settle();
    return imageview::wrap(screen_, ratio_);
}

QImage DrawingSurface::image() const
{
    settle();
    const PixelImage &kept = oneImage_ ? screen_ : persistent_;
    const QSize device = deviceSize();
    const QImage shown = imageview::wrap(kept, ratio_);
    return kept.size() == device ? shown : shown.copy(QRect(QPoint(0, 0), device));
}

std::optional<Failure> DrawingSurface::saveImage(const QString &path, const char *format) const
{
    if (qstricmp(format, "BMP") == 0)
        return saveImage(path);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image().save(&buffer, format))
        return failures::make(failures::InvalidPicture);
    return safesave::writeFile(path, bytes);
}

std::optional<Failure> DrawingSurface::loadPicture(const QString &path)
{
    QFile file(path);
    errno = 0;
    // A pipe that nobody writes into reads as an empty file.
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return failures::fromFile(file, path, errno);
    return loadPictureFrom(file);
}

std::optional<Failure> DrawingSurface::loadPictureData(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadPictureFrom(buffer);
}

std::optional<Failure> DrawingSurface::loadPictureFrom(QIODevice &device)
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
    setPicture(picture);
    return std::nullopt;
}

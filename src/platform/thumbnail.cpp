#include "thumbnail.h"

#include "surfaceimages.h"

#include <QBuffer>
#include <QImage>

namespace thumbnail {

QByteArray png(const DrawingSurface &surface)
{
    const QImage screen = surfaceimages::screenImage(surface);
    // The screen image may be larger than the client area; a view of the
    // area avoids copying it.
    const QSize area = surface.deviceSize().boundedTo(screen.size());
    const QImage client(screen.constBits(), area.width(), area.height(), screen.bytesPerLine(),
                        screen.format());
    const QImage small = client.scaled(bounds, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Quick compression: the thumbnail is written while the drawings wait.
    small.save(&buffer, "PNG", 80);
    return bytes;
}

} // namespace thumbnail

// SPDX-License-Identifier: GPL-3.0-or-later
#include "thumbnail.h"

#include "surfaceimages.h"

#include <QBuffer>

namespace thumbnail {

QImage picture(const DrawingSurface &surface)
{
    const QImage screen = surfaceimages::screenImage(surface);
    // The screen image may be larger than the client area, and is drawn on
    // by the next drawing: the area alone is copied.
    return screen.copy(QRect(QPoint(0, 0), surface.deviceSize().boundedTo(screen.size())));
}

QByteArray png(const QImage &picture)
{
    const QImage small = picture.scaled(bounds, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Quick compression: a drawing that follows shares the processor.
    small.save(&buffer, "PNG", 80);
    return bytes;
}

} // namespace thumbnail

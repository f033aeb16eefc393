// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pixelimage.h"

#include <QImage>

// Pixel images and Qt's images, one to the other.
namespace imageview {

// The pixels as a 32-bit RGB image without copying them. The image keeps
// the pixels alive and shows them as they were when it was made: drawing on
// the pixel image afterwards copies them first, and so does writing to the
// Qt image. A null pixel image gives a null image.
QImage wrap(const PixelImage &pixels, double devicePixelRatio = 1);

// The rows of an image in a 32-bit format (RGB32 or ARGB32), to read.
PixelRows rowsOf(const QImage &image);

// A copy of the image's pixels, in 32-bit RGB.
PixelImage copyOf(const QImage &image);

} // namespace imageview

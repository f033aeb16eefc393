// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drawingsurface.h"
#include "failure.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The drawing surface's side that speaks in Qt images: handing out and taking
// pictures, reading bitmaps, writing Qt's other formats, and scaling to a new
// device pixel ratio. Apart from the surface, so that drawing needs Qt's core
// only (volutra_surface) and this Qt's image code too (volutra_images).
namespace surfaceimages {

// A new ratio of device pixels to pixels of the client area; what the images
// show is scaled to it, one pixel to the nearest.
void setDevicePixelRatio(DrawingSurface &surface, double ratio);

// The picture beneath the drawing, null for none.
QImage picture(const DrawingSurface &surface);
void setPicture(DrawingSurface &surface, const QImage &picture);

// A loaded picture in the device pixels of `ratio`: its logical size, by the
// resolution it states, times the ratio. A bitmap saved at a ratio of 2
// (192 dots an inch) reloads one to one there.
QImage pictureInDevicePixels(const QImage &picture, double ratio);

// The image the window shows and the persistent image's client area, which
// share the surface's pixels without copying them and keep what they show
// when the surface draws on.
QImage screenImage(const DrawingSurface &surface);
QImage image(const DrawingSurface &surface);

// Writes the persistent image in one of Qt's formats, replacing the file only
// once the new one is complete.
std::optional<Failure> saveImage(const DrawingSurface &surface, const QString &path, const char *format);
// Reads a Windows bitmap and makes it the picture.
std::optional<Failure> loadPicture(DrawingSurface &surface, const QString &path);
// The same from the bytes of a bitmap file.
std::optional<Failure> loadPictureData(DrawingSurface &surface, const QByteArray &bytes);

} // namespace surfaceimages

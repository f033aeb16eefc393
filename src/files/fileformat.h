// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Which kind of file a name asks for, by its extension in any case: the one
// place that maps extensions to formats, for Save and Load, export and the
// render command.
namespace fileformat {

enum class Format { Parameters, Bmp, Png, Svg, Jpeg, Pdf, Gif, WebP, Mp4 };

// .par, .bmp, .png, .svg, .jpg, .jpeg, .pdf, .gif, .webp or .mp4; nothing for
// any other name.
std::optional<Format> byExtension(const QString &path);

// Whether a format is a still picture of the figure rather than its
// parameters or an animation.
bool isPicture(Format format);

// Whether a format is an animation: GIF, WebP or MP4 video.
bool isAnimation(Format format);

// Why an animation's name gets no still picture.
QString animationRefusal(const QString &path);

// Whether a format is a picture of pixels: BMP, PNG and JPEG.
bool isRaster(Format format);

// Why a name with another extension gets no picture.
QString pictureRefusal(const QString &path);

} // namespace fileformat

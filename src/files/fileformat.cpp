// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformat.h"

#include <QFileInfo>

#include <array>
#include <utility>

namespace fileformat {

std::optional<Format> byExtension(const QString &path)
{
    static const std::array<std::pair<const char *, Format>, 10> known = {{
        {".par", Format::Parameters},
        {".bmp", Format::Bmp},
        {".png", Format::Png},
        {".svg", Format::Svg},
        {".jpg", Format::Jpeg},
        {".jpeg", Format::Jpeg},
        {".pdf", Format::Pdf},
        {".gif", Format::Gif},
        {".webp", Format::WebP},
        {".mp4", Format::Mp4},
    }};
    for (const auto &[extension, format] : known)
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return format;
    return std::nullopt;
}

bool isPicture(Format format)
{
    return format != Format::Parameters && !isAnimation(format);
}

bool isAnimation(Format format)
{
    return format == Format::Gif || format == Format::WebP || format == Format::Mp4;
}

QString animationRefusal(const QString &path)
{
    return QStringLiteral("cannot write %1: .%2 is an animation; --animate draws the figure as it is "
                          "traced, --sweep FIELD=FROM:TO moves a parameter; a still picture is a .png")
        .arg(path, QFileInfo(path).suffix());
}

bool isRaster(Format format)
{
    return format == Format::Bmp || format == Format::Png || format == Format::Jpeg;
}

QString pictureRefusal(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    const QString named =
        suffix.isEmpty() ? QStringLiteral("no extension") : "the extension \"." + suffix + "\"";
    return QStringLiteral(
               "cannot write %1: %2 names no picture type; use .bmp, .png, .svg, .jpg, .jpeg or .pdf")
        .arg(path, named);
}

} // namespace fileformat

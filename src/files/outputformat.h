#pragma once

#include <QString>

#include <optional>

// Which kind of picture a file name asks for, by its extension in any case.
namespace outputformat {

enum class Format { Bmp, Png, Svg, Jpeg };

// .bmp, .png, .svg, .jpg or .jpeg; nothing for any other name.
std::optional<Format> byExtension(const QString &path);

// Why a name with another extension gets no picture.
QString refusal(const QString &path);

} // namespace outputformat

// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturerecipe.h"

#include "pdfrecipe.h"
#include "pngrecipe.h"
#include "svgrecipe.h"

namespace picturerecipe {

std::optional<fileformat::Format> formatOf(const QByteArray &start, const QString &path)
{
    using fileformat::Format;
    if (pngrecipe::isPng(start))
        return Format::Png;
    if (pdfrecipe::isPdf(start))
        return Format::Pdf;
    const std::optional<Format> named = fileformat::byExtension(path);
    if (named == Format::Png || named == Format::Svg || named == Format::Pdf)
        return named;
    if (named != Format::Parameters && svgrecipe::looksLikeXml(start))
        return Format::Svg;
    return std::nullopt;
}

picturetext::Reading readText(fileformat::Format format, QIODevice &device)
{
    using fileformat::Format;
    switch (format) {
    case Format::Svg: return svgrecipe::read(device);
    case Format::Pdf: return pdfrecipe::read(device);
    case Format::Png: return pngrecipe::read(device);
    case Format::Parameters:
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
    case Format::WebP:
    case Format::Mp4: break;
    }
    return picturetext::noRecipe();
}

recipetext::Reading read(fileformat::Format format, QIODevice &device)
{
    const picturetext::Reading text = readText(format, device);
    if (!text.text)
        return {std::nullopt, text.error};
    return recipetext::read(*text.text);
}

} // namespace picturerecipe

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "figurepainter.h"
#include "fileformat.h"

#include <QString>

#include <optional>
#include <variant>

// How a picture shows its figure beyond what the recipe says: drawn smooth,
// framed, and on which PDF page. The texts of the render command's options
// are read here.
namespace picturelook {

// The margin of a framed figure: pixels (points on a PDF page), or a share
// of the shorter side in percent.
struct Margin {
    double value = 5;
    bool percent = true;

    // The margin in the unit of a canvas of `width` by `height`.
    double of(double width, double height) const;
    bool operator==(const Margin &) const = default;
};

// A PDF page in millimetres, upright as named; `turnable` when the page is
// turned to the figure (a named size) rather than taken as typed.
struct PageSize {
    double width = 210;
    double height = 297;
    bool turnable = true;
    bool operator==(const PageSize &) const = default;
};

struct Look {
    // Anti-aliased strokes instead of the pixels the drawing sets.
    bool smooth = false;
    // The figure's points scaled uniformly and centred in the canvas (the
    // page's printable area for a PDF) less this margin.
    std::optional<Margin> fit;
    PageSize page;
    // The PDF page's margin in millimetres.
    double pageMargin = 10;
};

// A value read from an option's text, or why it is refused.
template <typename T> using Reading = std::variant<T, QString>;

// "5%" (of the shorter side) or "12" (pixels); empty for the default.
Reading<Margin> readMargin(const QString &text);
// A4, A3, A5, Letter (any case) or WIDTHxHEIGHTmm, each side 10 to 5000 mm.
Reading<PageSize> readPage(const QString &text);
// Millimetres, "10" or "10mm", 0 or more.
Reading<double> readPageMargin(const QString &text);

// The page a canvas of `width` by `height` is printed on: a named size
// turned to landscape when the canvas is wider than tall; nothing when the
// margin leaves no room.
std::optional<figurepainter::Page> pageFor(const Look &look, double width, double height);

// The printable area of that page in points (1/72 inch).
struct Area {
    double width;
    double height;
};
Area pointsOf(const figurepainter::Page &page);

// Whether a picture of `format` with this look is painted from strokes: a
// PDF drawing always, a raster picture when smooth.
bool painted(fileformat::Format format, const Look &look);

// Why a look does not apply to a format or to a drawing mode; nothing when
// it does.
std::optional<QString> refusal(fileformat::Format format, const Look &look, int drawMode);

} // namespace picturelook

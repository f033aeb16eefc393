// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturelook.h"

#include "rasterop.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace picturelook {

namespace {

constexpr double pointsPerMillimetre = 72 / 25.4;
constexpr double smallestPage = 10;
constexpr double largestPage = 5000;

} // namespace

double Margin::of(double width, double height) const
{
    return percent ? value / 100 * std::min(width, height) : value;
}

Reading<Margin> readMargin(const QString &text)
{
    if (text.isEmpty())
        return Margin{};
    static const QRegularExpression form("^(\\d{1,6}(?:\\.\\d*)?)(%?)$");
    const auto match = form.match(text);
    const double value = match.captured(1).toDouble();
    const bool percent = !match.captured(2).isEmpty();
    if (!match.hasMatch() || (percent && value >= 50))
        return QString(
                   "bad margin \"%1\": expected pixels (12) or a share of the shorter side below 50% (5%)")
            .arg(text);
    return Margin{value, percent};
}

Reading<PageSize> readPage(const QString &text)
{
    static const std::array<std::pair<const char *, PageSize>, 4> named = {{
        {"A3", {297, 420, true}},
        {"A4", {210, 297, true}},
        {"A5", {148, 210, true}},
        {"Letter", {215.9, 279.4, true}},
    }};
    for (const auto &[name, size] : named)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return size;
    static const QRegularExpression form("^(\\d{1,4}(?:\\.\\d*)?)x(\\d{1,4}(?:\\.\\d*)?)mm$",
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(text);
    const double width = match.captured(1).toDouble();
    const double height = match.captured(2).toDouble();
    if (!match.hasMatch() || std::min(width, height) < smallestPage || std::max(width, height) > largestPage)
        return QString("bad page \"%1\": expected A4, A3, A5, Letter or WIDTHxHEIGHTmm, each %2 to %3 mm")
            .arg(text)
            .arg(smallestPage)
            .arg(largestPage);
    return PageSize{width, height, false};
}

Reading<double> readPageMargin(const QString &text)
{
    static const QRegularExpression form("^(\\d{1,4}(?:\\.\\d*)?)(?:mm)?$",
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(text);
    if (!match.hasMatch())
        return QString("bad margin \"%1\": expected millimetres, 0 or more (10mm)").arg(text);
    return match.captured(1).toDouble();
}

std::optional<figurepainter::Page> pageFor(const Look &look, double width, double height)
{
    figurepainter::Page page{look.page.width, look.page.height, look.pageMargin};
    if (look.page.turnable && (width > height) != (page.width > page.height))
        std::swap(page.width, page.height);
    if (2 * page.margin >= std::min(page.width, page.height))
        return std::nullopt;
    return page;
}

Area pointsOf(const figurepainter::Page &page)
{
    return {(page.width - 2 * page.margin) * pointsPerMillimetre,
            (page.height - 2 * page.margin) * pointsPerMillimetre};
}

bool painted(fileformat::Format format, const Look &look)
{
    return format == fileformat::Format::Pdf || (look.smooth && fileformat::isRaster(format));
}

std::optional<QString> refusal(fileformat::Format format, const Look &look, int drawMode)
{
    if (look.smooth && !fileformat::isRaster(format) && !fileformat::isAnimation(format))
        return QStringLiteral("smooth pictures are .png, .jpg, .bmp and animations; SVG and PDF drawings are "
                              "smooth already");
    if (look.smooth && drawMode != rasterop::CopyPen)
        return QStringLiteral("a smooth picture paints the pen colour (drawing mode %1); mode %2 combines "
                              "the pen with the pixels beneath it, which only the plain picture has")
            .arg(rasterop::CopyPen)
            .arg(drawMode);
    if (format == fileformat::Format::Pdf && !pageFor(look, 2, 1))
        return QStringLiteral("the page margin of %1 mm leaves no room on the page").arg(look.pageMargin);
    return std::nullopt;
}

} // namespace picturelook

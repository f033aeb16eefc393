// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QTest>

// Pixel-by-pixel checks of images. Only the colour counts, not the alpha, and
// a failure names the first pixel that is wrong.
namespace imagecheck {

inline QString colorName(QRgb rgb)
{
    return QStringLiteral("#%1").arg(rgb & 0xffffffu, 6, 16, QLatin1Char('0'));
}

inline bool sameColor(QRgb a, QRgb b)
{
    return ((a ^ b) & 0xffffffu) == 0;
}

inline QString pixelMismatch(int x, int y, QRgb actual, QRgb expected)
{
    return QStringLiteral("first difference at (%1, %2): actual %3, expected %4")
        .arg(x)
        .arg(y)
        .arg(colorName(actual), colorName(expected));
}

// `area` itself, or the whole image when `area` is null.
inline QRect within(const QImage &image, const QRect &area)
{
    return area.isNull() ? image.rect() : area & image.rect();
}

// Where `actual` first differs from `expected`; empty when they match.
inline QString difference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("image is %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (!sameColor(actual.pixel(x, y), expected.pixel(x, y)))
                return pixelMismatch(x, y, actual.pixel(x, y), expected.pixel(x, y));
    return {};
}

// The first pixel of `area` (of the whole image when null) that is not
// `expected`; empty when there is none.
inline QString differenceIn(const QImage &image, QColor expected, const QRect &area = {})
{
    const QRgb want = expected.rgb();
    const QRect inside = within(image, area);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (!sameColor(image.pixel(x, y), want))
                return pixelMismatch(x, y, image.pixel(x, y), want);
    return {};
}

// How many pixels of `area` (of the whole image when null) are `color`.
inline int count(const QImage &image, QColor color, const QRect &area = {})
{
    int n = 0;
    const QRect inside = within(image, area);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += sameColor(image.pixel(x, y), color.rgb());
    return n;
}

inline int countNot(const QImage &image, QColor color, const QRect &area = {})
{
    int n = 0;
    const QRect inside = within(image, area);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += !sameColor(image.pixel(x, y), color.rgb());
    return n;
}

inline QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The share of the pixels of `image` that differ from `background` and lie
// within one pixel (in the eight neighbours or on the spot) of a pixel of
// `other` that differs from `background` too; 1 when none differ.
inline double coveredShare(const QImage &image, const QImage &other, QColor background)
{
    const auto lit = [&](const QImage &i, int x, int y) {
        return x >= 0 && y >= 0 && x < i.width() && y < i.height() &&
               !sameColor(i.pixel(x, y), background.rgb());
    };
    qint64 all = 0;
    qint64 near = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!lit(image, x, y))
                continue;
            ++all;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx)
                    found = lit(other, x + dx, y + dy);
            near += found;
        }
    return all == 0 ? 1.0 : double(near) / double(all);
}

} // namespace imagecheck

// Fail the test at the first pixel that differs.
#define COMPARE_IMAGES(actual, expected)                                                                     \
    do {                                                                                                     \
        const QString difference_ = imagecheck::difference((actual), (expected));                            \
        QVERIFY2(difference_.isEmpty(), qPrintable(difference_));                                            \
    } while (false)

#define VERIFY_AREA(image, area, color)                                                                      \
    do {                                                                                                     \
        const QString difference_ = imagecheck::differenceIn((image), (color), (area));                      \
        QVERIFY2(difference_.isEmpty(), qPrintable(difference_));                                            \
    } while (false)

#define VERIFY_FILLED(image, color) VERIFY_AREA(image, QRect(), color)

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas.h"
#include "failure.h"
#include "pixelimage.h"

#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

// The window's client area as a drawing surface: positions in twips, a pen
// with width, raster mode and line style, and two images. The screen image
// is what the window shows; the persistent image receives the drawing only
// while AutoRedraw is on and is what saving and printing take. A picture,
// when set, lies beneath the drawing in both.
//
// Sizes and the pen width are in pixels of the client area; the images hold
// the pixels of the device, which a high-density screen has more of (the
// device pixel ratio). Points and lines are set at device resolution.
//
// Drawing and saving bitmaps need Qt's core only (volutra_surface); what
// hands out or takes Qt images, reads pictures, writes Qt's other formats or
// changes the ratio lives in surfaceimages.h (volutra_images), which links
// Qt's image code.
class DrawingSurface : public Canvas {
public:
    // Scales an image's pixels to a new size.
    using Rescale = std::function<PixelImage(const PixelImage &image, QSize size)>;

    explicit DrawingSurface(QSize pixels = QSize(1, 1), double twipsPerPixel = 15);

    double twipsPerPixel() const { return twipsPerPixel_; }
    void setTwipsPerPixel(double twips);
    int toPixels(double twips) const;
    double toTwips(double pixels) const { return pixels * twipsPerPixel_; }

    // Device pixels to a pixel of the client area, 1 on an ordinary screen.
    // A new ratio scales what the images show to the new resolution with
    // `rescale`; a ratio beyond any screen's is ignored.
    double devicePixelRatio() const { return ratio_; }
    void setDevicePixelRatio(double ratio, const Rescale &rescale);
    // The resolution saved pictures state: a device pixel is as many twips
    // (1/1440 inch) as it stands for.
    double dotsPerInch() const { return 1440 / twipsPerDevicePixel_; }

    // The client area's size; the images grow to hold it and keep what they
    // show, the new area taking the back colour.
    QSize size() const { return size_; }
    void resize(QSize pixels);
    // The client area in device pixels.
    QSize deviceSize() const;

    // For a surface that no window shows: the persistent image is the screen
    // image, so that drawing, clearing and saving touch one image whatever
    // AutoRedraw says.
    bool oneImage() const { return oneImage_; }
    void setOneImage(bool one);

    colors::Color backColor() const { return backColor_; }
    void setBackColor(colors::Color color) override;
    colors::Color foreColor() const { return foreColor_; }
    void setForeColor(colors::Color color) { foreColor_ = color; }
    int drawWidth() const override { return drawWidth_; }
    void setDrawWidth(int width);
    // The pen's width in device pixels: as wide as on an ordinary screen, so
    // that a figure keeps its weight on a high-density one.
    int penPixels() const;
    int drawMode() const override { return drawMode_; }
    void setDrawMode(int mode) override;
    int drawStyle() const { return drawStyle_; }
    void setDrawStyle(int style);
    bool autoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }

    // The picture beneath the drawing, null for none.
    const PixelImage &picture() const { return picture_; }
    void setPicture(PixelImage picture);

    // Fills the screen with the back colour (and the picture), and the
    // persistent image too while AutoRedraw is on.
    void cls();
    void pset(float x, float y, colors::Color color) override;
    void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) override;
    void line(float x1, float y1, float x2, float y2, colors::Color color) override;

    // The image the window shows, at least the client area's size in device
    // pixels, and the persistent image (the screen image itself in one-image
    // mode), which may be larger than the client area too. Copies share the
    // pixels and keep what they show when the surface draws on.
    const PixelImage &screen() const;
    const PixelImage &persistent() const;
    // The pixels of the image the window shows; valid until the surface next
    // changes.
    PixelRows screenPixels() const { return screen().rows(); }
    // The pixels of the persistent image's client area, in device pixels.
    PixelRows imagePixels() const { return persistent().rows().corner(deviceSize()); }

    // Writes the persistent image as a Windows bitmap, replacing the file
    // only once the new one is complete.
    std::optional<Failure> saveImage(const QString &path) const;

    // Told the device pixel rectangle of every change of the screen image.
    void setChangeListener(std::function<void(const QRect &)> listener) { listener_ = std::move(listener); }

private:
    template <typename Combine>
    void plotPixels(const CurvePointF *points, std::size_t count, Combine combine);
    // Applies `operation` to the screen image and, where the surface keeps
    // one of its own and `persistentToo`, to the persistent image: drawing
    // passes whether AutoRedraw is on, keeping the images in step passes
    // true. Const, as settling a blank surface writes the (mutable) images.
    template <typename Operation> void forEachImage(bool persistentToo, Operation operation) const;
    static QSize scaledSize(QSize pixels, double ratio);
    void fill(PixelImage &image) const;
    void settle() const;
    void paintBackground(bool persistentToo);
    void changed(const QRect &rect);

    double twipsPerPixel_;
    double ratio_ = 1;
    double twipsPerDevicePixel_;
    QSize size_;
    // Clearing only marks the images blank; their pixels are written on the
    // first look or stroke, so that repeated clears cost nothing. Reading a
    // blank surface writes them, hence mutable.
    mutable PixelImage screen_;
    mutable PixelImage persistent_;
    mutable bool blank_ = true;
    bool oneImage_ = false;
    PixelImage picture_;
    colors::Color backColor_ = colors::black;
    colors::Color foreColor_ = colors::white;
    int drawWidth_ = 1;
    int drawMode_ = 13;
    int drawStyle_ = 0;
    bool autoRedraw_ = false;
    std::function<void(const QRect &)> listener_;
};

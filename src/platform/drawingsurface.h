#pragma once

#include "canvas.h"
#include "failure.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

// The window's client area as a drawing surface: positions in twips, a pen
// with width, raster mode and line style, and two images. The screen image
// is what the window shows; the persistent image receives the drawing only
// while AutoRedraw is on and is what saving and printing take. A picture,
// when set, lies beneath the drawing in both.
class DrawingSurface : public Canvas {
public:
    explicit DrawingSurface(QSize pixels = QSize(1, 1), double twipsPerPixel = 15);

    double twipsPerPixel() const { return twipsPerPixel_; }
    void setTwipsPerPixel(double twips);
    int toPixels(double twips) const;
    double toTwips(double pixels) const { return pixels * twipsPerPixel_; }

    // The client area's size; the images grow to hold it and keep what they
    // show, the new area taking the back colour.
    QSize size() const { return size_; }
    void resize(QSize pixels);

    colors::Color backColor() const { return backColor_; }
    void setBackColor(colors::Color color) override;
    colors::Color foreColor() const { return foreColor_; }
    void setForeColor(colors::Color color) { foreColor_ = color; }
    int drawWidth() const override { return drawWidth_; }
    void setDrawWidth(int width);
    int drawMode() const override { return drawMode_; }
    void setDrawMode(int mode) override;
    int drawStyle() const { return drawStyle_; }
    void setDrawStyle(int style);
    bool autoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }

    const QImage &picture() const { return picture_; }
    void setPicture(const QImage &picture);

    // Fills the screen with the back colour (and the picture), and the
    // persistent image too while AutoRedraw is on.
    void cls();
    void pset(float x, float y, colors::Color color) override;
    void psetMany(const CurvePointF *points, std::size_t count, colors::Color color) override;
    void line(float x1, float y1, float x2, float y2, colors::Color color) override;

    // The image the window shows, at least the client area's size.
    const QImage &screenImage() const { return screen_; }
    // The persistent image of the client area.
    QImage image() const;

    // Writes the persistent image as a Windows bitmap (or in another of Qt's
    // formats), replacing the file only once the new one is complete.
    std::optional<Failure> saveImage(const QString &path, const char *format = "BMP") const;
    // Reads a Windows bitmap and makes it the picture.
    std::optional<Failure> loadPicture(const QString &path);
    // The same from the bytes of a bitmap file.
    std::optional<Failure> loadPictureData(const QByteArray &bytes);

    // Told the pixel rectangle of every change of the screen image.
    void setChangeListener(std::function<void(const QRect &)> listener) { listener_ = std::move(listener); }

private:
    template <typename Combine>
    void plotPixels(const CurvePointF *points, std::size_t count, Combine combine);
    void fill(QImage &image) const;
    void paintBackground(bool persistentToo);
    void applyDot(int cx, int cy, std::uint32_t pen, QRect &dirty);
    void changed(const QRect &rect);
    std::optional<Failure> loadPictureFrom(QIODevice &device);

    double twipsPerPixel_;
    QSize size_;
    QImage screen_;
    QImage persistent_;
    QImage picture_;
    colors::Color backColor_ = colors::black;
    colors::Color foreColor_ = colors::white;
    int drawWidth_ = 1;
    int drawMode_ = 13;
    int drawStyle_ = 0;
    bool autoRedraw_ = false;
    std::function<void(const QRect &)> listener_;
};

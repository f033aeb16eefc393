// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

#include <cstdint>
#include <memory>

// Memory for `bytes` of a picture, not initialised, laid on huge pages
// where the system offers them when it is many megabytes large; null when
// there is none.
std::shared_ptr<std::uint8_t[]> allocatePictureBytes(std::size_t bytes);

// Rows of 32-bit pixels, 0xffRRGGBB, to read: what the picture writers take.
// The rows belong to someone else and stay valid only while they are not
// changed.
struct PixelRows {
    const std::uint32_t *first = nullptr;
    // Pixels from the start of one row to the start of the next.
    qsizetype stride = 0;
    int width = 0;
    int height = 0;

    const std::uint32_t *row(int y) const { return first + y * stride; }
    bool isEmpty() const { return width <= 0 || height <= 0; }
    QSize size() const { return QSize(width, height); }
    // The top-left `size` of these rows, as far as they reach.
    PixelRows corner(QSize size) const;
};

// A picture of 32-bit pixels, 0xffRRGGBB, rows packed one after the other.
// Copies share the pixels until one of them is written to, so that a copy
// taken is never changed by drawing on the original, and a copy given away
// as a view (see imageview.h) keeps the pixels alive.
class PixelImage {
public:
    PixelImage() = default;
    // The pixels are left as they come; an image too large for the memory
    // is a null one.
    explicit PixelImage(QSize size);

    bool isNull() const { return !pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    QSize size() const { return QSize(width_, height_); }
    qsizetype stride() const { return width_; }

    // Writing access: pixels still shared with a copy are copied first.
    std::uint32_t *bits();
    std::uint32_t *row(int y) { return bits() + y * stride(); }
    const std::uint32_t *constBits() const { return pixels_.get(); }
    const std::uint32_t *constRow(int y) const { return constBits() + y * stride(); }
    PixelRows rows() const { return {constBits(), stride(), width_, height_}; }

    void fill(std::uint32_t pixel);
    // Copies what fits of `source` into the top-left corner, pixel for pixel.
    void copyCorner(const PixelRows &source);

    // The pixels, shared with whoever holds the pointer: while it is held,
    // writing to this image copies them first.
    std::shared_ptr<const std::uint32_t[]> sharedPixels() const { return pixels_; }

private:
    std::shared_ptr<std::uint32_t[]> pixels_;
    int width_ = 0;
    int height_ = 0;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixelimage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {

// Pictures of many megabytes (an 8K picture is 132 MB) are laid on huge
// pages where the system offers them: the first touch of each page costs a
// fault, and a huge page takes the faults of 512 small ones.
constexpr std::size_t hugePage = std::size_t(2) << 20;

std::shared_ptr<std::uint32_t[]> allocatePixels(std::size_t count)
{
    const std::shared_ptr<std::uint8_t[]> bytes = allocatePictureBytes(count * sizeof(std::uint32_t));
    return std::shared_ptr<std::uint32_t[]>(bytes, reinterpret_cast<std::uint32_t *>(bytes.get()));
}

} // namespace

std::shared_ptr<std::uint8_t[]> allocatePictureBytes(std::size_t bytes)
{
    if (bytes < 2 * hugePage)
        return std::shared_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[bytes]);
    const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
    void *memory = std::aligned_alloc(hugePage, rounded);
    if (!memory)
        return nullptr;
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    return std::shared_ptr<std::uint8_t[]>(static_cast<std::uint8_t *>(memory),
                                           [](std::uint8_t *p) { std::free(p); });
}

PixelRows PixelRows::corner(QSize size) const
{
    return {first, stride, std::clamp(size.width(), 0, width), std::clamp(size.height(), 0, height)};
}

PixelImage::PixelImage(QSize size)
{
    if (size.isEmpty())
        return;
    const auto count = static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
    // Default-initialised, so that the pages are not touched before the
    // first fill.
    pixels_ = allocatePixels(count);
    if (pixels_) {
        width_ = size.width();
        height_ = size.height();
    }
}

std::uint32_t *PixelImage::bits()
{
    if (pixels_ && pixels_.use_count() > 1) {
        const std::shared_ptr<std::uint32_t[]> shared = pixels_;
        const auto count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
        pixels_ = allocatePixels(count);
        if (!pixels_)
            throw std::bad_alloc();
        std::memcpy(pixels_.get(), shared.get(), count * sizeof(std::uint32_t));
    }
    return pixels_.get();
}

void PixelImage::fill(std::uint32_t pixel)
{
    if (isNull())
        return;
    std::uint32_t *pixels = bits();
    std::fill(pixels, pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), pixel);
}

void PixelImage::copyCorner(const PixelRows &source)
{
    const int width = std::min(width_, source.width);
    const int height = std::min(height_, source.height);
    if (width <= 0 || height <= 0)
        return;
    for (int y = 0; y < height; ++y)
        std::memcpy(row(y), source.row(y), static_cast<std::size_t>(width) * sizeof(std::uint32_t));
}

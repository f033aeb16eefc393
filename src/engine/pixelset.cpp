// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixelset.h"

#include <algorithm>
#include <bit>

namespace strokes {

namespace {

// The list off the canvas is cleared of repeats once it holds this many,
// and again each time it has doubled.
constexpr std::size_t compactFrom = 1 << 16;

bool before(const Pixel &a, const Pixel &b)
{
    return a.y != b.y ? a.y < b.y : a.x < b.x;
}

} // namespace

PixelSet::PixelSet(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      bits_((std::size_t(width_) * std::size_t(height_) + 63) / 64), compactAt_(compactFrom)
{
}

bool PixelSet::onCanvas(Pixel pixel) const
{
    return pixel.x >= 0 && pixel.y >= 0 && pixel.x < width_ && pixel.y < height_;
}

bool PixelSet::insert(Pixel pixel)
{
    if (!onCanvas(pixel)) {
        off_.push_back(pixel);
        if (off_.size() >= compactAt_)
            compactOff();
        return true;
    }
    const std::size_t at = std::size_t(pixel.y) * std::size_t(width_) + std::size_t(pixel.x);
    std::uint64_t &word = bits_[at / 64];
    const std::uint64_t bit = std::uint64_t(1) << (at % 64);
    if (word & bit)
        return false;
    word |= bit;
    ++onCanvas_;
    return true;
}

void PixelSet::erase(Pixel pixel)
{
    if (!onCanvas(pixel))
        return;
    const std::size_t at = std::size_t(pixel.y) * std::size_t(width_) + std::size_t(pixel.x);
    std::uint64_t &word = bits_[at / 64];
    const std::uint64_t bit = std::uint64_t(1) << (at % 64);
    if (word & bit) {
        word &= ~bit;
        --onCanvas_;
    }
}

void PixelSet::compactOff()
{
    std::sort(off_.begin(), off_.end(), before);
    off_.erase(std::unique(off_.begin(), off_.end()), off_.end());
    distinctOff_ = off_.size();
    compactAt_ = std::max(compactFrom, 2 * off_.size());
}

std::vector<Pixel> PixelSet::sorted()
{
    compactOff();
    std::vector<Pixel> canvas;
    canvas.reserve(onCanvas_);
    for (std::size_t w = 0; w < bits_.size(); ++w)
        for (std::uint64_t word = bits_[w]; word != 0; word &= word - 1) {
            const std::size_t at = w * 64 + std::size_t(std::countr_zero(word));
            canvas.push_back(
                {std::int32_t(at % std::size_t(width_)), std::int32_t(at / std::size_t(width_))});
        }
    std::vector<Pixel> all(canvas.size() + off_.size());
    std::merge(canvas.begin(), canvas.end(), off_.begin(), off_.end(), all.begin(), before);
    return all;
}

} // namespace strokes

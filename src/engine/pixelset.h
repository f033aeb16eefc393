// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "strokes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace strokes {

// Pixels, each kept once. Those of a canvas take a bit each, so that a cloud
// of dots is kept without sorting it; the few elsewhere, off the canvas,
// go in a list that is sorted and cleared of repeats now and then.
class PixelSet {
public:
    // A canvas of `width` by `height` pixels; none keeps every pixel in the
    // list.
    explicit PixelSet(int width = 0, int height = 0);

    // Adds the pixel; true when it is new. A pixel off the canvas counts as
    // new until the list is next cleared of repeats.
    bool insert(Pixel pixel);
    // Takes a pixel of the canvas out again.
    void erase(Pixel pixel);
    bool onCanvas(Pixel pixel) const;

    // How many different pixels there are at least.
    std::size_t fewest() const { return onCanvas_ + distinctOff_; }
    // The pixels, row by row from the top, left to right.
    std::vector<Pixel> sorted();

private:
    void compactOff();

    int width_;
    int height_;
    std::vector<std::uint64_t> bits_;
    std::size_t onCanvas_ = 0;
    std::vector<Pixel> off_;
    std::size_t distinctOff_ = 0;
    std::size_t compactAt_;
};

} // namespace strokes

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The sixteen binary raster operations, numbered 1 (black) to 16 (white):
// each combines the pen's pixel with the pixel already on the surface.
namespace rasterop {

enum Mode : int {
    Black = 1,
    NotMergePen,
    MaskNotPen,
    NotCopyPen,
    MaskPenNot,
    Invert,
    XorPen,
    NotMaskPen,
    MaskPen,
    NotXorPen,
    Nop,
    MergeNotPen,
    CopyPen,
    MergePenNot,
    MergePen,
    White,
};

// Combines two 0xffRRGGBB pixels; the result is opaque again.
constexpr std::uint32_t combine(int mode, std::uint32_t pen, std::uint32_t surface)
{
    std::uint32_t result = surface;
    switch (mode) {
    case Black: result = 0; break;
    case NotMergePen: result = ~(pen | surface); break;
    case MaskNotPen: result = ~pen & surface; break;
    case NotCopyPen: result = ~pen; break;
    case MaskPenNot: result = pen & ~surface; break;
    case Invert: result = ~surface; break;
    case XorPen: result = pen ^ surface; break;
    case NotMaskPen: result = ~(pen & surface); break;
    case MaskPen: result = pen & surface; break;
    case NotXorPen: result = ~(pen ^ surface); break;
    case Nop: result = surface; break;
    case MergeNotPen: result = ~pen | surface; break;
    case CopyPen: result = pen; break;
    case MergePenNot: result = pen | ~surface; break;
    case MergePen: result = pen | surface; break;
    case White: result = 0xffffffu; break;
    default: break;
    }
    return result | 0xff000000u;
}

} // namespace rasterop

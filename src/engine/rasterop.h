#pragma once

#include <cstdint>

// The sixteen binary raster operations, numbered 1 (black) to 16 (white):
// each combines the pen's pixel with the pixel already on the surface.
namespace rasterop {

inline constexpr int Black = 1;
inline constexpr int NotMergePen = 2;
inline constexpr int MaskNotPen = 3;
inline constexpr int NotCopyPen = 4;
inline constexpr int MaskPenNot = 5;
inline constexpr int Invert = 6;
inline constexpr int XorPen = 7;
inline constexpr int NotMaskPen = 8;
inline constexpr int MaskPen = 9;
inline constexpr int NotXorPen = 10;
inline constexpr int Nop = 11;
inline constexpr int MergeNotPen = 12;
inline constexpr int CopyPen = 13;
inline constexpr int MergePenNot = 14;
inline constexpr int MergePen = 15;
inline constexpr int White = 16;

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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmpfile.h"

#include "safesave.h"

#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace bmpfile {

namespace {

constexpr int fileHeaderBytes = 14;
constexpr int infoHeaderBytes = 40;
constexpr int headerBytes = fileHeaderBytes + infoHeaderBytes;
// Rows are gathered into blocks before each write: an eighth of the pixels,
// within these bounds, so that a small picture touches little fresh memory
// and a large one needs few writes.
constexpr qsizetype smallestBlock = qsizetype(64) << 10;
constexpr qsizetype largestBlock = qsizetype(1) << 20;

void put16(unsigned char *at, std::uint16_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char *at, std::uint32_t value)
{
    put16(at, static_cast<std::uint16_t>(value));
    put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

void putHeader(unsigned char *h, const PixelRows &pixels, int dotsPerMeterX, int dotsPerMeterY,
               std::uint32_t pixelBytes)
{
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, headerBytes + pixelBytes);
    put32(h + 6, 0);
    put32(h + 10, headerBytes);
    unsigned char *info = h + fileHeaderBytes;
    put32(info, infoHeaderBytes);
    put32(info + 4, static_cast<std::uint32_t>(pixels.width));
    put32(info + 8, static_cast<std::uint32_t>(pixels.height));
    put16(info + 12, 1);
    put16(info + 14, 24);
    put32(info + 16, 0);
    put32(info + 20, pixelBytes);
    put32(info + 24, static_cast<std::uint32_t>(dotsPerMeterX));
    put32(info + 28, static_cast<std::uint32_t>(dotsPerMeterY));
    put32(info + 32, 0);
    put32(info + 36, 0);
}

// One row as blue, green, red bytes; the padding after it stays as it is.
void putRow(unsigned char *out, const std::uint32_t *pixels, int width)
{
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // A pixel lies in memory as blue, green, red, alpha: four bytes are
        // copied, and the next pixel overwrites the alpha.
        for (; x + 1 < width; ++x)
            std::memcpy(out + 3 * x, pixels + x, 4);
    }
    for (; x < width; ++x) {
        const std::uint32_t p = pixels[x];
        out[3 * x] = static_cast<unsigned char>(p);
        out[3 * x + 1] = static_cast<unsigned char>(p >> 8);
        out[3 * x + 2] = static_cast<unsigned char>(p >> 16);
    }
}

bool writeContent(QIODevice &device, const PixelRows &pixels, int dotsPerMeterX, int dotsPerMeterY,
                  qsizetype rowBytes, std::uint32_t pixelBytes)
{
    const int height = pixels.height;
    const qsizetype blockBytes = std::clamp<qsizetype>(pixelBytes / 8, smallestBlock, largestBlock);
    const int rowsPerBlock = static_cast<int>(std::clamp<qsizetype>(blockBytes / rowBytes, 1, height));
    std::vector<unsigned char> block(
        static_cast<std::size_t>(std::max<qsizetype>(headerBytes, rowsPerBlock * rowBytes)));
    putHeader(block.data(), pixels, dotsPerMeterX, dotsPerMeterY, pixelBytes);
    if (device.write(reinterpret_cast<const char *>(block.data()), headerBytes) != headerBytes)
        return false;
    std::fill(block.begin(), block.end(), 0);
    for (int y = height - 1; y >= 0;) {
        const int rows = std::min(rowsPerBlock, y + 1);
        for (int i = 0; i < rows; ++i, --y)
            putRow(block.data() + i * rowBytes, pixels.row(y), pixels.width);
        const qsizetype bytes = rows * rowBytes;
        if (device.write(reinterpret_cast<const char *>(block.data()), bytes) != bytes)
            return false;
    }
    return true;
}

} // namespace

std::optional<Failure> write(const QString &path, const PixelRows &pixels, int dotsPerMeterX,
                             int dotsPerMeterY)
{
    if (pixels.isEmpty())
        return failures::make(failures::InvalidPicture);
    const qsizetype rowBytes = (qsizetype(pixels.width) * 24 + 31) / 32 * 4;
    const qsizetype total = rowBytes * pixels.height;
    if (total + headerBytes > std::numeric_limits<std::int32_t>::max())
        return failures::make(failures::InvalidPicture);
    const auto pixelBytes = static_cast<std::uint32_t>(total);
    return safesave::writeFileWith(path, [&](QIODevice &device) {
        return writeContent(device, pixels, dotsPerMeterX, dotsPerMeterY, rowBytes, pixelBytes);
    });
}

} // namespace bmpfile

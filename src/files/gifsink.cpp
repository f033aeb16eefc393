// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifsink.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <gif_lib.h>

namespace {

int writeToDevice(GifFileType *gif, const GifByteType *bytes, int length)
{
    auto *device = static_cast<QIODevice *>(gif->UserData);
    return device ? int(device->write(reinterpret_cast<const char *>(bytes), length)) : 0;
}

// The hundredths of a second from the start to the end of tick `ticks`.
std::int64_t hundredthsAt(std::int64_t ticks, int fps)
{
    return std::llround(double(ticks) * 100 / fps);
}

} // namespace

GifSink::~GifSink()
{
    // A file left unfinished is let go without writing its end: the device
    // may be gone by now.
    if (gif_) {
        gif_->UserData = nullptr;
        EGifCloseFile(gif_, nullptr);
    }
}

bool GifSink::failed(const char *what)
{
    const int code = gif_ ? gif_->Error : 0;
    // The device's own failure is told by the writer, with its error number.
    if (code == E_GIF_ERR_WRITE_FAILED || code == E_GIF_ERR_DISK_IS_FULL)
        return false;
    const char *text = GifErrorString(code);
    return fail(QString("GIF %1: %2").arg(what, text ? text : "failed"));
}

bool GifSink::begin(QIODevice &device, QSize size, int fps)
{
    if (size.width() > largestSide || size.height() > largestSide)
        return fail(QString("a GIF holds at most %1 pixels a side").arg(largestSide));
    int error = 0;
    gif_ = EGifOpen(&device, writeToDevice, &error);
    if (!gif_)
        return fail(QString("GIF: %1").arg(GifErrorString(error)));
    size_ = size;
    fps_ = fps;
    EGifSetGifVersion(gif_, true);
    if (EGifPutScreenDesc(gif_, size.width(), size.height(), 8, 0, nullptr) == GIF_ERROR)
        return failed("screen");
    // Loops for ever.
    static const GifByteType application[] = "NETSCAPE2.0";
    static const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        return failed("loop");
    previous_.assign(std::size_t(size.width()) * std::size_t(size.height()), 0);
    line_.resize(std::size_t(size.width()));
    return true;
}

std::uint8_t GifSink::indexOf(std::uint32_t pixel)
{
    if (const auto found = indices_.find(pixel); found != indices_.end())
        return found->second;
    std::uint8_t index = 0;
    if (colours_.size() < 256) {
        index = std::uint8_t(colours_.size());
        colours_.push_back(pixel);
    } else {
        approximated_ = true;
        const auto distance = [pixel](std::uint32_t other) {
            int sum = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = int((pixel >> shift) & 0xff) - int((other >> shift) & 0xff);
                sum += d * d;
            }
            return sum;
        };
        index = std::uint8_t(
            std::min_element(colours_.begin(), colours_.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return distance(a) < distance(b); }) -
            colours_.begin());
    }
    indices_.emplace(pixel, index);
    return index;
}

bool GifSink::add(const PixelRows &frame, int ticks)
{
    const int width = size_.width();
    const int height = size_.height();
    // The rectangle that changed; the whole frame the first time.
    int top = 0, bottom = height - 1, left = 0, right = width - 1;
    if (!first_) {
        const auto rowChanged = [&](int y) {
            return std::memcmp(frame.row(y), &previous_[std::size_t(y) * std::size_t(width)],
                               std::size_t(width) * sizeof(std::uint32_t)) != 0;
        };
        while (top < height && !rowChanged(top))
            ++top;
        if (top == height) {
            // Nothing changed: one pixel drawn again carries the delay.
            top = bottom = 0;
            right = 0;
        } else {
            while (!rowChanged(bottom))
                --bottom;
            left = width;
            right = -1;
            for (int y = top; y <= bottom; ++y) {
                const std::uint32_t *now = frame.row(y);
                const std::uint32_t *before = &previous_[std::size_t(y) * std::size_t(width)];
                int x = 0;
                while (x < left && now[x] == before[x])
                    ++x;
                left = std::min(left, x);
                int z = width - 1;
                while (z > right && now[z] == before[z])
                    --z;
                right = std::max(right, z);
            }
        }
    }
    first_ = false;
    const int rectWidth = right - left + 1;
    // The indices first, so that the colour table holds every colour of
    // the rectangle when it is written.
    std::vector<std::uint8_t> indices(std::size_t(rectWidth) * std::size_t(bottom - top + 1));
    for (int y = top; y <= bottom; ++y) {
        const std::uint32_t *row = frame.row(y);
        std::uint8_t *out = &indices[std::size_t(y - top) * std::size_t(rectWidth)];
        for (int x = left; x <= right; ++x)
            out[x - left] = indexOf(row[x]);
        std::memcpy(&previous_[std::size_t(y) * std::size_t(width)], row,
                    std::size_t(width) * sizeof(std::uint32_t));
    }

    const std::int64_t start = ticks_;
    ticks_ += ticks;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = int(hundredthsAt(ticks_, fps_) - hundredthsAt(start, fps_));
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_ERROR)
        return failed("frame");

    int tableSize = 2;
    while (tableSize < int(colours_.size()))
        tableSize *= 2;
    std::vector<GifColorType> table(std::size_t(tableSize), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours_.size(); ++i)
        table[i] = GifColorType{GifByteType(colours_[i] >> 16), GifByteType(colours_[i] >> 8),
                                GifByteType(colours_[i])};
    ColorMapObject *map = GifMakeMapObject(tableSize, table.data());
    const bool described =
        EGifPutImageDesc(gif_, left, top, rectWidth, bottom - top + 1, false, map) != GIF_ERROR;
    GifFreeMapObject(map);
    if (!described)
        return failed("frame");
    for (int y = top; y <= bottom; ++y)
        if (EGifPutLine(gif_, &indices[std::size_t(y - top) * std::size_t(rectWidth)], rectWidth) ==
            GIF_ERROR)
            return failed("frame");
    return true;
}

bool GifSink::finish(const QByteArray &note)
{
    if (!note.isEmpty() && EGifPutComment(gif_, note.constData()) == GIF_ERROR)
        return failed("comment");
    int error = 0;
    GifFileType *gif = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        return fail(QString("GIF: %1").arg(GifErrorString(error)));
    return true;
}

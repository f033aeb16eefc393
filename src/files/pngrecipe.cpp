// SPDX-License-Identifier: GPL-3.0-or-later
#include "pngrecipe.h"

#include "safesave.h"

#include <QIODevice>

#include <spng.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pngrecipe {

namespace {

// The pixels of a drawing are mostly runs of one colour, and a drawing
// mostly has few colours. A picture of at most 256 colours is written with a
// palette, one byte a pixel, whose runs zlib's run-length strategy (Z_RLE)
// packs at a fraction of the cost of its general search. Other pictures are
// written as RGB with zlib's fastest level and no filtering, which costs
// least.
constexpr int compressionLevel = 1;
constexpr int defaultStrategy = 0;
constexpr int runLengthStrategy = 3;
constexpr int paletteLimit = 256;

// The colours of a picture, as long as there are few of them.
class Palette {
public:
    // Adds the colour; false once there are more than the palette holds.
    bool add(std::uint32_t color)
    {
        color &= 0xffffffu;
        if (color == lastColor_ && size_ > 0)
            return true;
        lastColor_ = color;
        std::size_t slot = hash(color);
        while (used_[slot]) {
            if (colors_[slot] == color) {
                lastIndex_ = indices_[slot];
                return true;
            }
            slot = (slot + 1) % slotCount;
        }
        if (size_ == paletteLimit)
            return false;
        used_[slot] = true;
        colors_[slot] = color;
        indices_[slot] = static_cast<unsigned char>(size_);
        lastIndex_ = indices_[slot];
        entries_[size_++] = color;
        return true;
    }

    // The index of a colour that was added.
    unsigned char indexOf(std::uint32_t color)
    {
        add(color);
        return lastIndex_;
    }

    int size() const { return size_; }
    std::uint32_t entry(int i) const { return entries_[std::size_t(i)]; }

private:
    static constexpr std::size_t slotCount = 1024;
    static std::size_t hash(std::uint32_t color) { return (color * 2654435761u) >> 22; }

    std::array<bool, slotCount> used_{};
    std::array<std::uint32_t, slotCount> colors_{};
    std::array<unsigned char, slotCount> indices_{};
    std::array<std::uint32_t, paletteLimit> entries_{};
    int size_ = 0;
    std::uint32_t lastColor_ = 0;
    unsigned char lastIndex_ = 0;
};

// The picture's palette, or nothing when it has too many colours.
std::optional<Palette> paletteOf(const PixelRows &pixels)
{
    Palette palette;
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint32_t *row = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x)
            if (!palette.add(row[x]))
                return std::nullopt;
    }
    return palette;
}
// Chunks before the pixels hold a few hundred bytes in a picture of ours.
constexpr std::size_t chunkSizeLimit = picturetext::textLimit;
constexpr std::size_t chunkCacheLimit = picturetext::searchLimit;

struct ContextFree {
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

// Collects the encoder's small writes into larger ones: the device is
// unbuffered, so that a failing write shows at once.
class BufferedOutput {
public:
    explicit BufferedOutput(QIODevice &device) : device_(device) { buffer_.reserve(capacity); }

    bool put(const void *data, std::size_t length)
    {
        if (buffer_.size() + length > capacity && !flush())
            return false;
        if (length >= capacity)
            return device_.write(static_cast<const char *>(data), qint64(length)) == qint64(length);
        const auto *bytes = static_cast<const char *>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + length);
        return true;
    }

    bool flush()
    {
        const auto size = qint64(buffer_.size());
        const bool written = size == 0 || device_.write(buffer_.data(), size) == size;
        buffer_.clear();
        return written;
    }

private:
    static constexpr std::size_t capacity = std::size_t(256) << 10;
    QIODevice &device_;
    std::vector<char> buffer_;
};

int writeToOutput(spng_ctx *, void *user, void *data, std::size_t length)
{
    return static_cast<BufferedOutput *>(user)->put(data, length) ? 0 : SPNG_IO_ERROR;
}

int readFromDevice(spng_ctx *, void *user, void *data, std::size_t length)
{
    auto *device = static_cast<QIODevice *>(user);
    auto *bytes = static_cast<char *>(data);
    std::size_t got = 0;
    while (got < length) {
        const qint64 read = device->read(bytes + got, qint64(length - got));
        if (read <= 0)
            return read == 0 ? SPNG_IO_EOF : SPNG_IO_ERROR;
        got += std::size_t(read);
    }
    return 0;
}

bool isAscii(const QByteArray &text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

unsigned char redOf(std::uint32_t pixel)
{
    return static_cast<unsigned char>(pixel >> 16);
}

unsigned char greenOf(std::uint32_t pixel)
{
    return static_cast<unsigned char>(pixel >> 8);
}

unsigned char blueOf(std::uint32_t pixel)
{
    return static_cast<unsigned char>(pixel);
}

// What encode() writes: the picture's size, the palette of an indexed
// picture (none for RGB), and the bytes of each row: `row` is handed a
// buffer of a row's size to fill, and returns where the row is.
struct EncodedRows {
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> *palette = nullptr;
    std::function<const unsigned char *(int y, unsigned char *buffer)> row;
};

bool encode(QIODevice &device, const EncodedRows &rows, const QByteArray &recipe)
{
    Context context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context)
        return false;
    BufferedOutput output(device);
    spng_ctx *ctx = context.get();
    spng_ihdr header{};
    header.width = std::uint32_t(rows.width);
    header.height = std::uint32_t(rows.height);
    header.bit_depth = 8;
    const std::vector<std::uint32_t> *palette = rows.palette;
    header.color_type = palette ? SPNG_COLOR_TYPE_INDEXED : SPNG_COLOR_TYPE_TRUECOLOR;
    spng_plte entries{};
    if (palette) {
        entries.n_entries = std::uint32_t(palette->size());
        for (std::size_t i = 0; i < palette->size(); ++i) {
            entries.entries[i].red = redOf((*palette)[i]);
            entries.entries[i].green = greenOf((*palette)[i]);
            entries.entries[i].blue = blueOf((*palette)[i]);
        }
    }
    // A text chunk holds Latin-1 and the international one UTF-8; the
    // recipe is ASCII unless a field holds more. PNG text ends its lines
    // with a line feed alone.
    QByteArray text = recipe;
    text.replace("\r\n", "\n");
    char emptyTag[] = "";
    spng_text chunk{};
    std::strncpy(chunk.keyword, keyword, sizeof chunk.keyword - 1);
    chunk.type = isAscii(text) ? SPNG_TEXT : SPNG_ITXT;
    chunk.length = std::size_t(text.size());
    chunk.text = text.data();
    chunk.language_tag = emptyTag;
    chunk.translated_keyword = emptyTag;
    if (spng_set_png_stream(ctx, writeToOutput, &output) != 0 || spng_set_ihdr(ctx, &header) != 0 ||
        spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, compressionLevel) != 0 ||
        spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE) != 0 ||
        spng_set_option(ctx, SPNG_IMG_COMPRESSION_STRATEGY, palette ? runLengthStrategy : defaultStrategy) !=
            0 ||
        (palette && spng_set_plte(ctx, &entries) != 0) || spng_set_text(ctx, &chunk, 1) != 0)
        return false;
    if (spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
        return false;
    std::vector<unsigned char> buffer(std::size_t(rows.width) * (palette ? 1 : 3));
    for (int y = 0; y < rows.height; ++y) {
        const int status = spng_encode_row(ctx, rows.row(y, buffer.data()), buffer.size());
        if (status != 0 && !(status == SPNG_EOI && y == rows.height - 1))
            return false;
    }
    return output.flush();
}

Reading readFrom(spng_ctx *ctx)
{
    spng_set_chunk_limits(ctx, chunkSizeLimit, chunkCacheLimit);
    // A damaged ancillary chunk is not ours to trust.
    spng_set_crc_action(ctx, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    spng_ihdr header{};
    if (const int status = spng_get_ihdr(ctx, &header); status != 0)
        return picturetext::unreadable(QStringLiteral("PNG"), spng_strerror(status));
    std::uint32_t count = 0;
    if (const int status = spng_get_text(ctx, nullptr, &count); status != 0 || count == 0)
        return status == SPNG_ECHUNK_LIMITS ? picturetext::tooLarge() : picturetext::noRecipe();
    std::vector<spng_text> texts(count);
    if (spng_get_text(ctx, texts.data(), &count) != 0)
        return picturetext::noRecipe();
    for (const spng_text &text : texts)
        if (std::strcmp(text.keyword, keyword) == 0)
            return picturetext::found(QByteArray(text.text, qsizetype(text.length)));
    return picturetext::noRecipe();
}

} // namespace

std::optional<Failure> write(const QString &path, const PixelRows &pixels, const QByteArray &recipe)
{
    if (pixels.isEmpty())
        return failures::make(failures::InvalidPicture);
    std::optional<Palette> palette = paletteOf(pixels);
    std::vector<std::uint32_t> entries;
    for (int i = 0; palette && i < palette->size(); ++i)
        entries.push_back(palette->entry(i));
    EncodedRows rows{pixels.width, pixels.height, palette ? &entries : nullptr, {}};
    rows.row = [&](int y, unsigned char *buffer) -> const unsigned char * {
        const std::uint32_t *source = pixels.row(y);
        if (palette) {
            for (int x = 0; x < pixels.width; ++x)
                buffer[x] = palette->indexOf(source[x]);
            return buffer;
        }
        for (int x = 0; x < pixels.width; ++x) {
            unsigned char *rgb = buffer + std::size_t(x) * 3;
            rgb[0] = redOf(source[x]);
            rgb[1] = greenOf(source[x]);
            rgb[2] = blueOf(source[x]);
        }
        return buffer;
    };
    return safesave::writeFileWith(path, [&](QIODevice &device) { return encode(device, rows, recipe); });
}

std::optional<Failure> writeIndexed(const QString &path, const IndexedRows &indices,
                                    const std::vector<std::uint32_t> &palette, const QByteArray &recipe)
{
    if (indices.width <= 0 || indices.height <= 0 || palette.empty() ||
        palette.size() > std::size_t(paletteLimit))
        return failures::make(failures::InvalidPicture);
    EncodedRows rows{indices.width, indices.height, &palette, {}};
    rows.row = [&indices](int y, unsigned char *) { return indices.row(y); };
    return safesave::writeFileWith(path, [&](QIODevice &device) { return encode(device, rows, recipe); });
}

Reading read(const QString &path)
{
    return picturetext::fromFile(path, read);
}

Reading read(QIODevice &device)
{
    Context context(spng_ctx_new(0));
    if (!context)
        return {std::nullopt, failures::describe(failures::OutOfMemory)};
    spng_set_png_stream(context.get(), readFromDevice, &device);
    return readFrom(context.get());
}

Reading readBytes(const QByteArray &bytes)
{
    Context context(spng_ctx_new(0));
    if (!context)
        return {std::nullopt, failures::describe(failures::OutOfMemory)};
    spng_set_png_buffer(context.get(), bytes.constData(), std::size_t(bytes.size()));
    return readFrom(context.get());
}

bool isPng(const QByteArray &start)
{
    return start.startsWith("\x89PNG\r\n\x1a\n");
}

} // namespace pngrecipe

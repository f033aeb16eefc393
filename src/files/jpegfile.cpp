// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpegfile.h"

#include "safesave.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace jpegfile {

namespace {

constexpr std::size_t outputBytes = std::size_t(64) << 10;

// The encoder's output, gathered into blocks for the device. A failed write
// is remembered; the rows that follow are not encoded.
struct Output {
    jpeg_destination_mgr manager{};
    QIODevice *device = nullptr;
    std::vector<JOCTET> buffer = std::vector<JOCTET>(outputBytes);
    bool failed = false;

    static Output &of(j_compress_ptr info) { return *reinterpret_cast<Output *>(info->dest); }

    void put(std::size_t bytes)
    {
        const auto length = qint64(bytes);
        if (!failed && device->write(reinterpret_cast<const char *>(buffer.data()), length) != length)
            failed = true;
        manager.next_output_byte = buffer.data();
        manager.free_in_buffer = buffer.size();
    }
};

void startOutput(j_compress_ptr info)
{
    Output &output = Output::of(info);
    output.manager.next_output_byte = output.buffer.data();
    output.manager.free_in_buffer = output.buffer.size();
}

// Called with the whole buffer full, whatever free_in_buffer says.
boolean writeBlock(j_compress_ptr info)
{
    Output::of(info).put(outputBytes);
    return TRUE;
}

void finishOutput(j_compress_ptr info)
{
    Output &output = Output::of(info);
    output.put(output.buffer.size() - output.manager.free_in_buffer);
}

// The encoder's errors (which our parameters never cause, but running out
// of memory might) end the encoding; its warnings are of no use to a user.
struct Errors {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
};

[[noreturn]] void stop(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Errors *>(info->err)->jump, 1);
}

void keepQuiet(j_common_ptr) {}

bool encode(QIODevice &device, const PixelRows &pixels, int quality, int dotsPerInch)
{
    Output output;
    output.device = &device;
    output.manager.init_destination = startOutput;
    output.manager.empty_output_buffer = writeBlock;
    output.manager.term_destination = finishOutput;
    std::vector<JSAMPLE> row(std::size_t(pixels.width) * 3);
    Errors errors;
    jpeg_compress_struct info{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = stop;
    errors.manager.output_message = keepQuiet;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = &output.manager;
    info.image_width = JDIMENSION(pixels.width);
    info.image_height = JDIMENSION(pixels.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.density_unit = 1;
    info.X_density = UINT16(dotsPerInch);
    info.Y_density = UINT16(dotsPerInch);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < pixels.height && !output.failed; ++y) {
        const std::uint32_t *source = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x) {
            JSAMPLE *rgb = &row[std::size_t(x) * 3];
            rgb[0] = JSAMPLE(source[x] >> 16);
            rgb[1] = JSAMPLE(source[x] >> 8);
            rgb[2] = JSAMPLE(source[x]);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    if (!output.failed)
        jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return !output.failed;
}

} // namespace

std::optional<Failure> write(const QString &path, const PixelRows &pixels, int quality, int dotsPerInch)
{
    if (pixels.isEmpty() || pixels.width > JPEG_MAX_DIMENSION || pixels.height > JPEG_MAX_DIMENSION)
        return failures::make(failures::InvalidPicture);
    return safesave::writeFileWith(
        path, [&](QIODevice &device) { return encode(device, pixels, quality, dotsPerInch); });
}

} // namespace jpegfile

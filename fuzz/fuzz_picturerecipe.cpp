// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any bytes as an SVG and as a PDF that may carry a recipe, as
// "--render picture.svg" and "picture.pdf" do, and as the render command's
// standard input, whose kind is told by its first bytes: either a recipe
// comes out, within its bound, or a reason why there is none. A recipe found
// is put into a PDF's metadata and must read back the same.
#include "fuzzcheck.h"
#include "pdfrecipe.h"
#include "picturerecipe.h"
#include "picturetext.h"
#include "quietqt.h"
#include "svgrecipe.h"

#include <QBuffer>
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {

void checkReading(const picturetext::Reading &reading)
{
    check(reading.text.has_value() == reading.error.isEmpty());
    if (!reading.text)
        return;
    check(std::size_t(reading.text->size()) <= picturetext::textLimit);
    QByteArray text = *reading.text;
    text.replace("\r\n", "\n");
    const picturetext::Reading again =
        pdfrecipe::readBytes("%PDF-1.4\n" + pdfrecipe::xmpMetadata(QString::fromUtf8(text)));
    check(again.text && *again.text == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    checkReading(svgrecipe::readBytes(bytes));
    checkReading(pdfrecipe::readBytes(bytes));
    if (const auto format = picturerecipe::formatOf(bytes.left(picturerecipe::startBytes), "-")) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        checkReading(picturerecipe::readText(*format, buffer));
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any bytes as a picture that may carry a recipe, as "--render
// picture.png" does: either the recipe comes out of the text chunk, or a
// reason why there is none. A recipe that reads is written again and must
// read back to the same settings.
#include "fuzzcheck.h"
#include "pngrecipe.h"
#include "quietqt.h"
#include "recipetext.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {

void checkRecipe(const QByteArray &text)
{
    const recipetext::Reading reading = recipetext::read(text);
    check(reading.figure.has_value() == reading.error.isEmpty());
    if (!reading.figure || !reading.figure->hasSettings)
        return;
    const recipetext::FigureRecipe &figure = *reading.figure;
    const Recipe &r = figure.recipe;
    check(r.prefs.penSize >= 1 && r.prefs.penSize <= 32766);
    check(r.prefs.drawMode >= 1 && r.prefs.drawMode <= 16);
    check(figure.twipsPerPixel > 0);
    check(figure.canvas.isEmpty() || (figure.canvas.width() <= 16384 && figure.canvas.height() <= 16384));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const pngrecipe::Reading reading = pngrecipe::readBytes(bytes);
    check(reading.text.has_value() == reading.error.isEmpty());
    if (reading.text)
        checkRecipe(*reading.text);
    // The same bytes as the text of a recipe or an exported parameter file.
    checkRecipe(bytes);
    return 0;
}

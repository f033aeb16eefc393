// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "parametertexts.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <variant>

// The twelve parameter fields of the control panel: the parameter each holds,
// the number the window records while it has the focus (the number in its
// name), its short name on the command line (--sweep), and where it stands.
namespace fieldtable {

enum class Column { X, Y };
enum Row { Amp, Freq, Pwr1, Pwr2, Rot, Wst };

struct Field {
    ParameterTexts::Index index;
    int focusNumber;
    const char *name;
    const char *shortName;
    Row row;
    Column column;
    // Twips.
    int left, top, width, height;
};

// The panel's rows from top to bottom. Both fields of a row share its top
// and size (twips); the column gives the left edge.
struct RowOfFields {
    int top, width, height;
    struct Cell {
        ParameterTexts::Index index;
        int focusNumber;
        const char *name;
        const char *shortName;
    } x, y;
};

inline constexpr int columnLeft[] = {120, 1320};

inline constexpr RowOfFields rows[] = {
    {480, 732, 288, {ParameterTexts::XAmp, 1, "Text1", "xamp"}, {ParameterTexts::YAmp, 3, "Text3", "yamp"}},
    {960,
     732,
     288,
     {ParameterTexts::XFreq, 2, "Text2", "xfreq"},
     {ParameterTexts::YFreq, 4, "Text4", "yfreq"}},
    {1440,
     732,
     288,
     {ParameterTexts::XPwr1, 5, "Text5", "xpwr1"},
     {ParameterTexts::YPwr1, 13, "Text13", "ypwr1"}},
    {1920,
     732,
     288,
     {ParameterTexts::XPwr2, 6, "Text6", "xpwr2"},
     {ParameterTexts::YPwr2, 14, "Text14", "ypwr2"}},
    {2400, 735, 285, {ParameterTexts::XRot, 7, "Text7", "xrot"}, {ParameterTexts::YRot, 9, "Text9", "yrot"}},
    {2880,
     735,
     285,
     {ParameterTexts::XWst, 8, "Text8", "xwst"},
     {ParameterTexts::YWst, 10, "Text10", "ywst"}},
};

constexpr std::array<Field, ParameterTexts::Count> fieldsColumnByColumn()
{
    std::array<Field, ParameterTexts::Count> out{};
    std::size_t i = 0;
    for (const Column column : {Column::X, Column::Y}) {
        for (std::size_t r = 0; r < std::size(rows); ++r) {
            const RowOfFields &row = rows[r];
            const RowOfFields::Cell &cell = column == Column::X ? row.x : row.y;
            out[i++] = {.index = cell.index,
                        .focusNumber = cell.focusNumber,
                        .name = cell.name,
                        .shortName = cell.shortName,
                        .row = static_cast<Row>(r),
                        .column = column,
                        .left = columnLeft[static_cast<int>(column)],
                        .top = row.top,
                        .width = row.width,
                        .height = row.height};
        }
    }
    return out;
}

// In the order the fields are created and tabbed through: the X column from
// top to bottom, then the Y column.
inline constexpr std::array<Field, ParameterTexts::Count> fields = fieldsColumnByColumn();

// The field with the given focus number, or nullptr for a number no field has.
constexpr const Field *byFocusNumber(int focusNumber)
{
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [focusNumber](const Field &f) { return f.focusNumber == focusNumber; });
    return it == fields.end() ? nullptr : &*it;
}

// The field with the given short name, or nullptr for a name no field has.
constexpr const Field *byShortName(std::string_view shortName)
{
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [shortName](const Field &f) { return shortName == f.shortName; });
    return it == fields.end() ? nullptr : &*it;
}

constexpr const Field &byIndex(ParameterTexts::Index index)
{
    return *std::find_if(fields.begin(), fields.end(), [index](const Field &f) { return f.index == index; });
}

// A row or a column of fields.
using Line = std::variant<Row, Column>;

constexpr bool onLine(const Field &field, const Line &line)
{
    if (const Row *row = std::get_if<Row>(&line))
        return field.row == *row;
    return field.column == std::get<Column>(line);
}

// The top field of a column, the X field of a row.
constexpr const Field &firstOn(const Line &line)
{
    return *std::find_if(fields.begin(), fields.end(), [&line](const Field &f) { return onLine(f, line); });
}

// Text1 to Text10, then Text13 and Text14.
constexpr std::array<Field, ParameterTexts::Count> inFocusNumberOrder()
{
    std::array<Field, ParameterTexts::Count> sorted = fields;
    std::sort(sorted.begin(), sorted.end(),
              [](const Field &a, const Field &b) { return a.focusNumber < b.focusNumber; });
    return sorted;
}

// Every parameter, every focus number and every short name has one field.
constexpr bool consistent()
{
    for (const Field &f : fields)
        if (byFocusNumber(f.focusNumber) != &f || &byIndex(f.index) != &f || byShortName(f.shortName) != &f)
            return false;
    return true;
}
static_assert(consistent());

} // namespace fieldtable

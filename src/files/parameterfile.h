// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "failure.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The parameter file: the twelve parameter field texts and the two colours,
// one value a line.
namespace parameterfile
{

// The field texts in file order: Text1, Text2, Text3, Text4, Text5, Text6,
// Text13, Text14, Text7, Text8, Text9, Text10.
using FieldTexts = std::array<QString, 12>;

// The fourteen lines, each ended by CR LF: the texts unchanged (UTF-8, so
// ASCII stays ASCII), then the colours as whole numbers with one blank before
// a value of zero or more.
QByteArray bytes(const FieldTexts &texts, colors::Color foreground, colors::Color background);

// Writes the file's `bytes`. A failed write keeps an earlier file as it was.
std::optional<Failure> write(const QString &path, const FieldTexts &texts, colors::Color foreground,
                             colors::Color background);

// What a read found. On a failure, `texts` and the colours hold the values
// read before it, in file order.
struct Contents {
    std::vector<QString> texts;
    std::optional<colors::Color> foreground;
    std::optional<colors::Color> background;
    std::optional<Failure> failure;
};

// Reads the fourteen values, each line taken whole with the blanks and tabs
// at its start skipped. Lines may end with CR LF, LF or a lone CR; lines
// after the fourteenth are never read. Texts decode as UTF-8 when they are
// valid UTF-8, otherwise as Latin-1.
Contents read(const QString &path);

// The same from a device open for reading; `pathForErrors` names the file in
// the failure when reading fails part-way.
Contents read(QIODevice &device, const QString &pathForErrors);

} // namespace parameterfile

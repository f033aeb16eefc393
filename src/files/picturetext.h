// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

class QIODevice;

// The recipe text that a picture of ours carries (a PNG's text chunk, an
// SVG's metadata, a PDF's XMP packet): what its readers give back, the
// bounds they keep to and the words they use when there is none.
namespace picturetext {

// A recipe holds a few hundred bytes. These bounds keep a hostile file from
// filling the memory: the recipe's text, and everything a reader holds while
// it looks for the recipe (a PNG's chunks before the pixels, an SVG's text
// up to the end of its metadata, a PDF's metadata packet).
inline constexpr std::size_t textLimit = std::size_t(16) << 20;
inline constexpr std::size_t searchLimit = std::size_t(32) << 20;

// The recipe's text, or why there is none.
struct Reading {
    std::optional<QByteArray> text;
    QString error;
};

// A picture that reads but holds no recipe.
Reading noRecipe();
// A file that is not a readable picture of `kind` ("PNG", "SVG", "PDF"), and why.
Reading unreadable(const QString &kind, const QString &why);
// A recipe, or the part of the file that holds it, beyond its bound.
Reading tooLarge();
// The text found: refused beyond textLimit.
Reading found(QByteArray text);

// What `read` finds in the file at `path`, or why the file does not open.
Reading fromFile(const QString &path, Reading (*read)(QIODevice &));
// What `read` finds in `bytes`.
Reading fromBytes(const QByteArray &bytes, Reading (*read)(QIODevice &));

} // namespace picturetext

// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturetext.h"

#include "failure.h"
#include "fileopen.h"

#include <QBuffer>
#include <QFile>

#include <cerrno>
#include <utility>

namespace picturetext {

Reading noRecipe()
{
    return {std::nullopt, QStringLiteral("the picture carries no Volutra recipe")};
}

Reading unreadable(const QString &kind, const QString &why)
{
    return {std::nullopt, QStringLiteral("not a readable %1 picture (%2)").arg(kind, why)};
}

Reading tooLarge()
{
    return {std::nullopt,
            QStringLiteral("the picture's recipe is larger than %1 MB, more than a recipe holds")
                .arg(textLimit >> 20)};
}

Reading found(QByteArray text)
{
    if (std::size_t(text.size()) > textLimit)
        return tooLarge();
    return {std::move(text), {}};
}

Reading fromFile(const QString &path, Reading (*read)(QIODevice &))
{
    QFile file(path);
    errno = 0;
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return {std::nullopt, failures::fromFile(file, path, errno).description};
    return read(file);
}

Reading fromBytes(const QByteArray &bytes, Reading (*read)(QIODevice &))
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

} // namespace picturetext

// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturetext.h"

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

} // namespace picturetext

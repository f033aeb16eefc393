// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileaction.h"

#include "filechoice.h"
#include "fileformat.h"

#include <QMimeData>
#include <QUrl>

namespace fileaction {

std::optional<Failure> byExtension(const QString &path, const Action &bitmap, const Action &parameters,
                                   Dialogs &dialogs, const Action &picture)
{
    using fileformat::Format;
    const auto format = fileformat::byExtension(path);
    if (format == Format::Bmp)
        return bitmap(path);
    if (format == Format::Parameters)
        return parameters(path);
    if (picture && (format == Format::Png || format == Format::Svg || format == Format::Pdf))
        return picture(path);
    dialogs.message(filechoice::wrongExtensionMessage(path), Dialogs::Buttons::Ok);
    return std::nullopt;
}

void load(const DialogResult<QString> &name, Source source, const Action &bitmap, const Action &parameters,
          Dialogs &dialogs, const Action &picture)
{
    std::optional<Failure> failure;
    if (const auto *refused = std::get_if<Failure>(&name))
        failure = *refused;
    else if (const QString &path = std::get<QString>(name); !path.isEmpty())
        failure = byExtension(path, bitmap, parameters, dialogs, picture);
    if (!failure || failure->number == failures::Cancelled)
        return;
    if (source == Source::Dialog && filechoice::isSilent(*failure))
        return;
    dialogs.message(filechoice::errorMessage("File load error : ", *failure), Dialogs::Buttons::Ok);
}

QString droppedFile(const QMimeData &data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    return urls.first().toLocalFile();
}

} // namespace fileaction

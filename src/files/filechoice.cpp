// SPDX-License-Identifier: GPL-3.0-or-later
#include "filechoice.h"

namespace filechoice {

FileDialogRequest request(FileDialogRequest::Mode mode)
{
    FileDialogRequest request;
    request.mode = mode;
    request.title = mode == FileDialogRequest::Mode::Save ? "Save picture" : "Load picture";
    request.filter = filter;
    request.defaultExtension = "BMP";
    return request;
}

QString wrongExtensionMessage(const QString &path)
{
    return "Wrong file extension: " + path.right(3);
}

QString errorMessage(const QString &prefix, const Failure &failure)
{
    return prefix + failures::numberWithSign(failure.number) + " " + failure.description;
}

bool isSilent(const Failure &failure)
{
    return failure.number == failures::Cancelled || failure.number == failures::PathNotFound;
}

} // namespace filechoice

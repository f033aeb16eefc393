// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"
#include "failure.h"

#include <QString>

// What Save and Load ask the file dialog, and how they read its answer.
namespace filechoice {

inline const QString filter = QStringLiteral("Pictures (*.bmp)|*.bmp|Parameters (*.par)|*.par");

// The dialog of Save ("Save picture") or Load ("Load picture").
FileDialogRequest request(FileDialogRequest::Mode mode);

// "Wrong file extension: " and the last three characters of the name as given.
QString wrongExtensionMessage(const QString &path);

// `prefix`, the error number with a leading blank when it is zero or more, a
// blank and the description: "File load error :  62 Input past end of file".
QString errorMessage(const QString &prefix, const Failure &failure);

// Cancelling the dialog and a missing folder end Save and Load silently.
bool isSilent(const Failure &failure);

} // namespace filechoice

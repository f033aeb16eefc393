// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"
#include "failure.h"

#include <QString>

#include <functional>
#include <optional>

class QMimeData;

// What Save and Load do with a file name once they have one, shared by the
// Load button, a FILE named on the command line and a file dropped on the
// window.
namespace fileaction {

using Action = std::function<std::optional<Failure>(const QString &)>;

// Hands `path` to `bitmap` or `parameters` by its extension (".BMP" or
// ".PAR" in any case), and a picture that may carry a recipe (.png, .svg,
// .pdf) to `picture` when there is one; a name with another extension gets
// the wrong-extension message and no action runs.
std::optional<Failure> byExtension(const QString &path, const Action &bitmap, const Action &parameters,
                                   Dialogs &dialogs, const Action &picture = {});

// Where Load's file name came from.
enum class Source { Dialog, Name };

// Load once its name is known: opens the picture or the parameter file and
// tells of a failure as "File load error : " with its number and
// description. A cancelled dialog and an empty name end silently, and so
// does a missing folder in a name from the dialog; a name given by the user
// outside the dialog has its missing folder reported.
void load(const DialogResult<QString> &name, Source source, const Action &bitmap, const Action &parameters,
          Dialogs &dialogs, const Action &picture = {});

// The file of a drop that carries exactly one local file; empty for any
// other drop.
QString droppedFile(const QMimeData &data);

} // namespace fileaction

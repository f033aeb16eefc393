// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformat.h"
#include "headlessdrawing.h"
#include "picturelook.h"
#include "renderrefusal.h"

#include <QString>
#include <QTextStream>

#include <optional>

class QCommandLineParser;

// The render command's animations: --animate and --sweep with --duration,
// --fps, --hold and --frames, whose rows stand in the command's one option
// table.
namespace renderanimation {

// Whether the options ask for an animation.
bool wanted(const QCommandLineParser &parser);

// Writes the animation of the prepared `job` to `output`, which names an
// animation format (anything else is refused), within the work `budget`.
std::optional<Refusal> render(const QCommandLineParser &parser, const headless::Job &job,
                              fileformat::Format format, const QString &output, const picturelook::Look &look,
                              double budget, QTextStream &err);

} // namespace renderanimation

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The command line without a window:
//   volutra-render [options] FIGURE     (or volutra --render FIGURE [options])
// FIGURE is a parameter file or a PNG picture that Volutra wrote, - for
// standard input; OUT's extension or --format chooses the picture type.
namespace rendercommand {

// Every message of the command starts with this, whichever program runs it.
inline constexpr const char *messagePrefix = "volutra-render: ";

// Whether the arguments (without the program name) ask for a render: they
// hold --render or --render=FIGURE.
bool wanted(const QStringList &arguments);

// How the help names the command, from the program name it was started by:
// "volutra --render" for the window program, else that name.
QString calledName(const QString &argumentZero);

// The help text, naming the command as `called`.
QString usage(const QString &called = "volutra-render");

// Runs the command and returns the exit code: 0 done, 1 a file could not be
// read or written, 2 the arguments or their values were refused. Messages go
// to `out` and `err`. On any failure nothing is written at the output path.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err,
        const QString &called = "volutra-render");

} // namespace rendercommand

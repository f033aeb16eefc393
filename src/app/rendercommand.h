#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The command line without a window:
//   volutra --render FIGURE --output OUT [options]
// FIGURE is a parameter file or a PNG picture that Volutra wrote; OUT's
// extension chooses the picture type.
namespace rendercommand {

// Whether the arguments (without the program name) ask for a render: they
// hold --render or --render=FIGURE.
bool wanted(const QStringList &arguments);

// The render options, for the help text.
QString usage();

// Runs the command and returns the exit code: 0 done, 1 a file could not be
// read or written, 2 the arguments or their values were refused. Messages go
// to `out` and `err`. On any failure nothing is written at the output path.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace rendercommand

#pragma once

#include <QStringList>
#include <QTextStream>

// The command line without a window:
//   volutra --render FIGURE.par --output OUT.bmp [--size WIDTHxHEIGHT] [--seed N]
//   volutra --help
namespace rendercommand {

// Whether the arguments (without the program name) ask for the command line
// rather than the window.
bool wanted(const QStringList &arguments);

// Runs the command and returns the exit code; messages go to `out` and
// `err`. On any failure nothing is written at the output path.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// The command's usage text, which --help prints.
QString usage();

} // namespace rendercommand

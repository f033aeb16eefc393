// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// The program's command line, read before any window or display is needed:
//   volutra [FILE]        the window, opening FILE (.par or .bmp) once shown
//   volutra --render ...  a drawing without a window (see rendercommand.h)
//   volutra --help | --version
namespace commandline {

inline constexpr const char *version = "1.00";

enum class Action { Window, Render, Help, Version, Refuse };

struct Request {
    Action action = Action::Window;
    // For Window: the file to open, empty for none.
    QString file;
    // For Refuse: the one line that says why, without its line end.
    QString message;
};

// What the arguments (without the program name) ask for. Qt's own window
// options (-platform NAME, -style NAME, ...) are let through to the window.
Request parse(const QStringList &arguments);

// Why a parser refused `arguments`, in the program's style: the option as
// typed, a small letter and no full stop.
QString parserRefusal(const QCommandLineParser &parser, const QStringList &arguments);

// The usage text of --help: the window's options, then the render command's.
QString helpText();

// The line --version prints: "Volutra 1.00".
QString versionText();

// The line printed when no display can be reached.
QString noDisplayText();

} // namespace commandline

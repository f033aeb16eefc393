// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"
#include "rendercommand.h"
#include "stopsignals.h"
#include "windowmodule.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

// The program links Qt's core alone: the help, the version and the render
// command answer as fast as volutra-render does, and the window's libraries
// are loaded with its module only when a window is asked for.
int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    const commandline::Request request = commandline::parse(arguments);
    switch (request.action) {
    case commandline::Action::Render: {
        stopsignals::install();
        QCoreApplication application(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return rendercommand::run(arguments, out, err, "volutra --render");
    }
    case commandline::Action::Help: print(stdout, commandline::helpText()); return 0;
    case commandline::Action::Version: print(stdout, commandline::versionText() + "\n"); return 0;
    case commandline::Action::Refuse: print(stderr, request.message + "\n"); return 2;
    case commandline::Action::Window: break;
    }
    return windowmodule::runWindow(argc, argv, request.file);
}

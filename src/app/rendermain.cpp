// SPDX-License-Identifier: GPL-3.0-or-later
#include "rendercommand.h"
#include "stopsignals.h"

#include <QCoreApplication>

// The command line alone, linked to Qt's core only: it starts
// without loading the libraries of images, windows, widgets and printing.
int main(int argc, char *argv[])
{
    stopsignals::install();
    QCoreApplication application(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return rendercommand::run(arguments, out, err,
                              rendercommand::calledName(QString::fromLocal8Bit(argc > 0 ? argv[0] : "")));
}

#include "form1.h"
#include "rendercommand.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (rendercommand::wanted(arguments)) {
        QCoreApplication application(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return rendercommand::run(arguments, out, err);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("Volutra");
    Form1 window;
    if (window.programEnded())
        return 0;
    return QApplication::exec();
}

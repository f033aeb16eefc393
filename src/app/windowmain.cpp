// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowmain.h"

#include "commandline.h"
#include "displayguard.h"
#include "form1.h"

#include <QApplication>
#include <QTimer>

#include <optional>

int volutraWindowMain(int argc, char *argv[], const char *file)
{
    QApplication::setApplicationName("Volutra");
    QApplication::setApplicationVersion(commandline::version);
    QGuiApplication::setDesktopFileName("org.volutra.Volutra");
    std::optional<DisplayGuard> guard(std::in_place, commandline::noDisplayText());
    QApplication application(argc, argv);
    guard.reset();

    Form1 window;
    if (window.programEnded())
        return 0;
    const QString opened = QString::fromUtf8(file);
    if (!opened.isEmpty())
        QTimer::singleShot(0, &window, [&window, opened] { window.openFile(opened); });
    return QApplication::exec();
}

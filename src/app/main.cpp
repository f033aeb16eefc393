#include "commandline.h"
#include "displayguard.h"
#include "form1.h"
#include "rendercommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    const commandline::Request request = commandline::parse(arguments);
    switch (request.action) {
    case commandline::Action::Render: {
        QCoreApplication application(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return rendercommand::run(arguments, out, err);
    }
    case commandline::Action::Help: print(stdout, commandline::helpText()); return 0;
    case commandline::Action::Version: print(stdout, commandline::versionText() + "\n"); return 0;
    case commandline::Action::Refuse: print(stderr, request.message + "\n"); return 2;
    case commandline::Action::Window: break;
    }

    QApplication::setApplicationName("Volutra");
    QApplication::setApplicationVersion(commandline::version);
    QGuiApplication::setDesktopFileName("org.volutra.Volutra");
    std::optional<DisplayGuard> guard(std::in_place, commandline::noDisplayText());
    QApplication application(argc, argv);
    guard.reset();

    Form1 window;
    if (window.programEnded())
        return 0;
    if (!request.file.isEmpty())
        QTimer::singleShot(0, &window, [&window, &request] { window.openFile(request.file); });
    return QApplication::exec();
}

#include "commandline.h"
#include "displayguard.h"
#include "form1.h"
#include "rendercommand.h"
#include "stopsignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Hands a render over to volutra-render beside this program, which starts
// without loading the window's libraries. The program name stays "volutra",
// so that the help names the command as it was typed. Returns only when
// there is none to hand over to.
void handOverRender(char *argv[])
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    self[length] = '\0';
    std::string beside(self);
    beside.erase(beside.rfind('/') + 1);
    beside += "volutra-render";
    ::execv(beside.c_str(), argv);
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
        handOverRender(argv);
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

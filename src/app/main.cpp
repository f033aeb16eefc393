#include "commandline.h"
#include "displayguard.h"
#include "figurepainter.h"
#include "form1.h"
#include "paintloader.h"
#include "rendercommand.h"
#include "stopsignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

#include <unistd.h>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Hands a render over to volutra-render beside this program, which starts
// without the window's libraries. The program name stays "volutra", so that
// the help names the command as it was typed. Returns only when there is
// none to hand over to; the command then runs here.
void handOverRender(char *argv[], char *envp[])
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return;
    path[length] = '\0';
    constexpr char name[] = "volutra-render";
    char *slash = std::strrchr(path, '/');
    if (!slash || std::size_t(slash + 1 - path) + sizeof name > sizeof path)
        return;
    std::memcpy(slash + 1, name, sizeof name);
    ::execve(path, argv, envp);
}

// Runs before the initialisers of the shared libraries, which for Qt's
// widget, image and print libraries take longer than a whole small render:
// a render is handed over before any of them runs. Only the C library is
// ready here, and the environment is the one handed in (environ is not set
// yet). The arguments are read as commandline::parse reads them: a --render
// before any "--".
void handOverEarly(int argc, char **argv, char **envp)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return;
        if (std::strcmp(argv[i], "--render") == 0 || std::strncmp(argv[i], "--render=", 9) == 0) {
            handOverRender(argv, envp);
            return;
        }
    }
}

[[gnu::section(".preinit_array"), gnu::used]] void (*const earlyHandOver)(int, char **,
                                                                          char **) = handOverEarly;

} // namespace

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
        // Without volutra-render beside it, the window program paints with its own painter.
        paintloader::use(figurepainter::functions());
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

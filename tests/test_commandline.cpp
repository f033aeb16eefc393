// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include <QProcess>
#include <QTest>

// The command line: what each argument list asks for, and the built program
// run without a display.

using commandline::Action;

Q_DECLARE_METATYPE(commandline::Action)

namespace {

// Runs the built program where no display can be reached, under the
// platform `platform` (none when empty); the exit code, or -1 for a crash.
int runProgram(const QStringList &arguments, const QString &platform, QByteArray &out, QByteArray &err)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    if (!platform.isEmpty())
        environment.insert("QT_QPA_PLATFORM", platform);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(VOLUTRA_PROGRAM, arguments);
    const bool finished = process.waitForFinished(20000);
    out = process.readAllStandardOutput();
    err = process.readAllStandardError();
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        // The file to open, or a part of the refusal's message.
        QTest::addColumn<QString>("detail");
        const auto row = [](const char *tag, const QStringList &arguments, Action action,
                            const QString &detail = {}) {
            QTest::newRow(tag) << arguments << action << detail;
        };
        row("nothing", {}, Action::Window);
        row("one file", {"figure.par"}, Action::Window, "figure.par");
        row("a file that looks like an option", {"--", "-odd.bmp"}, Action::Window, "-odd.bmp");
        row("Qt's own options", {"-platform", "offscreen", "-style=fusion", "-reverse", "a.bmp"},
            Action::Window, "a.bmp");
        row("--help", {"--help"}, Action::Help);
        row("-h", {"-h"}, Action::Help);
        row("help beside a file", {"a.par", "-h"}, Action::Help);
        row("--version", {"--version"}, Action::Version);
        row("-v", {"-v"}, Action::Version);
        row("render", {"--render", "a.par", "--output", "a.bmp"}, Action::Render);
        row("render with =", {"--render=a.par", "--output=a.bmp"}, Action::Render);
        row("render asks for help", {"--help", "--render"}, Action::Render);
        row("render after --", {"--", "--render"}, Action::Window, "--render");
        row("unknown long", {"--bogus"}, Action::Refuse, "unknown option \"--bogus\"");
        row("unknown with a value", {"--bogus=1", "a.par"}, Action::Refuse, "unknown option \"--bogus\"");
        row("unknown short", {"-x"}, Action::Refuse, "unknown option \"-x\"");
        row("unknown beside help", {"--help", "--bogus"}, Action::Refuse, "unknown option");
        row("render option without render", {"--output", "a.bmp"}, Action::Refuse,
            "unknown option \"--output\"");
        row("value after a flag", {"--version=2"}, Action::Refuse, "--version");
        row("Qt option without its value", {"-platform"}, Action::Refuse, "-platform");
        row("two files", {"a.par", "b.bmp"}, Action::Refuse, "only one FILE");
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, detail);

        const commandline::Request request = commandline::parse(arguments);

        QCOMPARE(request.action, action);
        if (action == Action::Refuse) {
            QVERIFY2(request.message.startsWith("volutra: "), qPrintable(request.message));
            QVERIFY2(request.message.contains(detail), qPrintable(request.message));
            QVERIFY2(request.message.contains("volutra --help"), qPrintable(request.message));
            QVERIFY(!request.message.contains('\n'));
        } else {
            QCOMPARE(request.file, detail);
        }
    }

    void helpShowsBothUsages()
    {
        const QString help = commandline::helpText();
        for (const char *part :
             {"volutra [FILE]", "--version", ".par", ".bmp", ".png", ".svg", ".pdf", "--render", "--output"})
            QVERIFY2(help.contains(part), part);
        QVERIFY(help.indexOf("volutra [FILE]") < help.indexOf("--render"));
    }

    // Without a display the program says so in one line and ends with 1;
    // what needs no window works without one.
    void programWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString noDisplay = commandline::noDisplayText() + "\n";
        QTest::newRow("window, default platform")
            << QStringList{} << QString() << 1 << QString() << noDisplay;
        QTest::newRow("window, xcb") << QStringList{"figure.par"} << "xcb" << 1 << QString() << noDisplay;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "xcb" << 2 << QString()
                                        << "volutra: unknown option \"--bogus\"; try volutra --help\n";
        QTest::newRow("version") << QStringList{"--version"} << QString() << 0 << "Volutra 1.00\n"
                                 << QString();
        QTest::newRow("version, no such platform")
            << QStringList{"-v"} << "nosuchplatform" << 0 << "Volutra 1.00\n"
            << QString();
        QTest::newRow("help") << QStringList{"--help"} << "xcb" << 0 << commandline::helpText() << QString();
    }
    void programWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QByteArray printed;
        QByteArray complained;
        QCOMPARE(runProgram(arguments, platform, printed, complained), exitCode);
        QCOMPARE(QString::fromLocal8Bit(complained), err);
        QCOMPARE(QString::fromLocal8Bit(printed), out);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"

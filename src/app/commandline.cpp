// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "rendercommand.h"

#include <QCommandLineParser>

namespace commandline {

namespace {

const char *const windowUsage = "Usage: volutra [FILE]\n"
                                "       volutra --help | --version\n"
                                "\n"
                                "Opens the drawing window. A FILE ending in .par sets the twelve fields and\n"
                                "the two colours from that parameter file and draws the figure; one ending\n"
                                "in .bmp becomes the background picture, as \"Load\" does with that name. A\n"
                                "PNG, SVG or PDF picture that Volutra exported (.png, .svg, .pdf) opens as\n"
                                "its figure: its recipe's parameters set the fields and colours, and the\n"
                                "figure is drawn.\n"
                                "\n"
                                "  -h, --help             this text\n"
                                "  -v, --version          print the version and end\n"
                                "\n"
                                "Exit codes: 0 done, 1 no display could be reached, 2 bad command line.\n"
                                "\n";

// Qt's own options for a window program, which the application object takes
// from the command line itself.
const char *const qtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Whether the arguments before a "--" ask for the render command.
bool asksForRender(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--render" || argument.startsWith("--render="))
            return true;
    }
    return false;
}

// The argument as typed that named the unknown option `name`.
QString typedOption(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments) {
        if (argument == "--")
            break;
        QString bare = argument;
        while (bare.startsWith('-'))
            bare.remove(0, 1);
        if (argument.startsWith('-') && bare.section('=', 0, 0) == name)
            return argument.section('=', 0, 0);
    }
    return (name.size() == 1 ? "-" : "--") + name;
}

Request refuse(const QString &why)
{
    return {Action::Refuse, {}, "volutra: " + why + "; try volutra --help"};
}

} // namespace

QString parserRefusal(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return QString("unknown option \"%1\"").arg(typedOption(arguments, unknown.first()));
    // Qt's own sentences, in the program's style: small letter, no full stop.
    QString why = parser.errorText();
    if (why.endsWith('.'))
        why.chop(1);
    if (!why.isEmpty())
        why[0] = why[0].toLower();
    return why;
}

Request parse(const QStringList &arguments)
{
    if (asksForRender(arguments))
        return {Action::Render, {}, {}};

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "this text");
    const QCommandLineOption versionOption({"v", "version"}, "the version");
    parser.addOption(help);
    parser.addOption(versionOption);
    for (const char *name : qtOptionsWithValue)
        parser.addOption(QCommandLineOption(name, {}, "value"));
    for (const char *name : qtFlags)
        parser.addOption(QCommandLineOption(name));
    parser.addPositionalArgument("FILE", "a parameter file or picture to open");

    if (!parser.parse(QStringList{"volutra"} + arguments))
        return refuse(parserRefusal(parser, arguments));
    if (parser.isSet(help))
        return {Action::Help, {}, {}};
    if (parser.isSet(versionOption))
        return {Action::Version, {}, {}};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refuse(QString("only one FILE can be opened, %1 were given").arg(files.size()));
    return {Action::Window, files.value(0), {}};
}

QString helpText()
{
    return windowUsage + rendercommand::usage("volutra --render");
}

QString versionText()
{
    return QString("Volutra ") + version;
}

QString noDisplayText()
{
    return "volutra: no display could be reached; volutra --render draws without one (see volutra --help)";
}

} // namespace commandline

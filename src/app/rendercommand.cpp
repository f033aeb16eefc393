// SPDX-License-Identifier: GPL-3.0-or-later
#include "rendercommand.h"

#include "commandline.h"
#include "drawingrun.h"
#include "figureexport.h"
#include "fileopen.h"
#include "headlessdrawing.h"
#include "numbers.h"
#include "paintloader.h"
#include "parameterfile.h"
#include "picturerecipe.h"
#include "recipetext.h"
#include "renderanimation.h"
#include "renderprogress.h"
#include "renderrefusal.h"
#include "settingsfile.h"
#include "settingstext.h"
#include "stopsignals.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>

#include <sys/mman.h>
#include <unistd.h>

namespace rendercommand {

namespace {

// The prose of the help text; the options' lines come from the table below.
const char *const aboutText =
    "Draws a figure once, as \"Draw\" does, without a window, and writes it to OUT.\n"
    "FIGURE is a parameter file (.par) or a PNG, SVG or PDF picture written by\n"
    "Volutra, whose recipe draws the same picture again, pixel for pixel at the same\n"
    "size; - reads it from standard input. A picture without a recipe is refused\n"
    "(exit 1). An exported parameter file keeps its settings too; a plain one draws\n"
    "with the default settings.\n"
    "\n"
    "OUT's extension, in any case, chooses the picture unless --format does: .bmp\n"
    "(Windows bitmap), .png (with the recipe in a text chunk), .svg (a vector\n"
    "drawing of lines and dots in the pen colour and size; the raster\n"
    "drawing modes do not apply to it), .jpg or .jpeg (JPEG). Any other extension is\n"
    "refused (exit 2) and nothing is written. -o - writes standard output, in the\n"
    "format --format names.\n"
    "\n"
    ".pdf writes a PDF drawing of the same strokes on one page, the canvas scaled\n"
    "into the page less its margin (--page, --margin). --smooth draws a raster\n"
    "picture anti-aliased. --fit scales the figure's points uniformly and centres\n"
    "them in the canvas (a PDF page's printable area) less a margin: 5% of the\n"
    "shorter side by default, --fit=12 for 12 pixels (points on a page), --fit=8%\n"
    "for a share.\n"
    "--animate writes the figure as it is traced into OUT.gif, OUT.webp (lossless)\n"
    "or OUT.mp4 (H.264): each frame adds the next points and the last frame, held\n"
    "for --hold seconds, is the still picture. --sweep FIELD=FROM:TO makes each\n"
    "frame the whole figure with a field moved from FROM to TO instead. Without\n"
    "one of them those extensions are refused. Animations need a file, not -.\n"
    "\n";

const char *const exitText = "\n"
                             "The options win over --settings, which wins over the recipe. Values that the\n"
                             "settings file would refuse are refused.\n"
                             "\n"
                             "Exit codes: 0 done; 1 a file could not be read or written, or a recipe is\n"
                             "corrupt; 2 the arguments or their values were refused, or the drawing is\n"
                             "beyond the work budget; 130 and 143 stopped by SIGINT or SIGTERM. On any\n"
                             "failure nothing is written.\n";

// Every option of the command: its names, the name of its value (empty for a
// switch), the help line, and for the options that stand for a line of the
// settings file, that line's name in the settings table.
struct RenderOption {
    QStringList names;
    const char *valueName;
    const char *help;
    const char *setting = nullptr;
    // The value may be left out: --name alone, or --name=VALUE.
    bool optionalValue = false;
};

const QList<RenderOption> &optionTable()
{
    static const QList<RenderOption> table = {
        {{"render"}, "FIGURE", "the figure to draw, instead of FIGURE after the options"},
        {{"o", "output"}, "OUT", "the picture to write; - writes standard output"},
        {{"format"},
         "TYPE",
         "bmp, png, svg, jpg, jpeg or pdf: the picture type, for an OUT without one of those "
         "extensions or -"},
        {{"s", "size"},
         "WIDTHxHEIGHT",
         "the canvas in pixels, 1 to 16384 each (default: the recipe's "
         "canvas, or 586x466)"},
        {{"seed"}, "N", "a whole number that makes random figures and colours repeatable"},
        {{"settings"},
         "FILE",
         "a settings file (voludef.txt) whose step size, turns, pen size, drawing "
         "mode, placement (lines 21-24) and random colours the drawing uses"},
        {{"step"}, "S", "the counter step (above 0; default 100)", "stepSize"},
        {{"turns"},
         "T",
         "the number of turns (above 0; default 1); --turns 16 draws a million points",
         "turns"},
        {{"pen"}, "P", "the pen size in pixels (1 to 32766)", "penSize"},
        {{"mode"}, "M", "the drawing mode, 1 to 16 (13 paints the pen colour)", "drawMode"},
        {{"animate"}, "", "draw the figure as it is traced into an animation (.gif, .webp or .mp4 OUT)"},
        {{"duration"},
         "S",
         "the seconds of a traced animation before the last frame (above 0 to 3600; default 6)"},
        {{"fps"}, "N", "the frames per second of an animation, 1 to 120 (default 30)"},
        {{"hold"}, "S", "the seconds the last frame of an animation is held longer (0 to 3600; default 2)"},
        {{"sweep"},
         "FIELD=FROM:TO",
         "an animation whose frames draw the whole figure with FIELD moved evenly from FROM to TO; "
         "FIELD is xamp, xfreq, yamp, yfreq, xpwr1, xpwr2, xrot, xwst, yrot, ywst, ypwr1 or ypwr2; "
         "several --sweep move several fields"},
        {{"frames"}, "N", "the frames of a sweep, 1 to 10000 (default: duration times fps)"},
        {{"budget"},
         "SECONDS",
         "the work a drawing may take, in seconds of one core (default 60); a "
         "longer drawing is refused before it starts; 0 lifts the limit"},
        {{"smooth"},
         "",
         "draw a .png, .jpg or .bmp picture or an animation anti-aliased, lines and round dots "
         "of the pen's size; drawing mode 13 only"},
        {{"fit"},
         "MARGIN",
         "scale and centre the figure in the canvas less MARGIN: pixels (points on a PDF "
         "page) or a share with % (default 5% of the shorter side)",
         nullptr,
         true},
        {{"page"},
         "SIZE",
         "the PDF page: A4 (default), A3, A5, Letter, turned to the figure, or "
         "WIDTHxHEIGHTmm as typed"},
        {{"margin"}, "MM", "the PDF page's margin in millimetres (default 10mm)"},
        {{"q", "quiet"},
         "",
         "no progress line; without it a render longer than a second shows one on "
         "standard error when that is a terminal"},
        {{"h", "help"}, "", "this text"},
        {{"v", "version"}, "", "print the version and end"},
    };
    return table;
}

QString optionLines()
{
    QString text;
    for (const RenderOption &option : optionTable()) {
        QStringList typed;
        for (const QString &name : option.names)
            typed << (name.size() == 1 ? "-" : "--") + name;
        QString left = "  " + typed.join(", ");
        if (option.optionalValue)
            left += QString("[=") + option.valueName + "]";
        else if (*option.valueName)
            left += QString(" ") + option.valueName;
        // The help wraps at 79 columns beside a left column of 26.
        constexpr int column = 26;
        QStringList lines{left.size() < column - 1 ? left.leftJustified(column)
                                                   : left + "\n" + QString(column, ' ')};
        for (const QString &word : QString(option.help).split(' ')) {
            if (lines.last().size() + word.size() + 1 > 79 && lines.last().size() > column)
                lines << QString(column, ' ');
            QString &line = lines.last();
            if (!line.endsWith(' '))
                line += ' ';
            line += word;
        }
        text += lines.join('\n') + '\n';
    }
    return text;
}

constexpr int maximumSide = 16384;
constexpr double defaultBudgetSeconds = 60;
constexpr qint64 maximumRecipeFileBytes = qint64(1) << 20;

// Copies the whole of the descriptor `fd` to standard output.
bool copyToStandardOutput(int fd)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t put = ::write(STDOUT_FILENO, buffer + sent, std::size_t(got - sent));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return false;
            sent += put;
        }
    }
}

QString fileFailure(const QString &what, const QString &path, const Failure &failure)
{
    return QString("cannot %1 %2: %3 (error %4)").arg(what, path, failure.description).arg(failure.number);
}

QString rangeText(int line)
{
    const std::string_view range = settingstext::rangeOf(line);
    return QString::fromUtf8(range.data(), qsizetype(range.size()));
}

std::optional<Refusal> parseSize(const QString &value, QSize &size)
{
    static const QRegularExpression form("^(\\d{1,5})x(\\d{1,5})$");
    const auto match = form.match(value);
    const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (width < 1 || height < 1 || width > maximumSide || height > maximumSide)
        return Refusal{
            2, QString("bad size \"%1\": expected WIDTHxHEIGHT, each 1 to %2").arg(value).arg(maximumSide)};
    size = QSize(width, height);
    return std::nullopt;
}

// The figure: a picture's recipe, or a parameter file with or without one. The
// file is read once, so that a pipe works too.
std::optional<Refusal> readFigure(const QString &path, recipetext::FigureRecipe &figure)
{
    QFile file(path == "-" ? QString("standard input") : path);
    errno = 0;
    const bool opened = path == "-" ? file.open(STDIN_FILENO, QIODevice::ReadOnly)
                                    : fileopen::open(file, QIODevice::ReadOnly);
    if (!opened)
        return Refusal{1, fileFailure("read", path, failures::fromFile(file, path, errno))};
    if (const auto picture = picturerecipe::formatOf(file.peek(picturerecipe::startBytes), path)) {
        const recipetext::Reading recipe = picturerecipe::read(*picture, file);
        if (!recipe.figure)
            return Refusal{1, QString("cannot take the recipe of %1: %2").arg(path, recipe.error)};
        figure = *recipe.figure;
        return std::nullopt;
    }
    QByteArray text = file.read(maximumRecipeFileBytes);
    if (file.error() != QFileDevice::NoError)
        return Refusal{1, fileFailure("read", path, failures::fromFile(file, path, errno))};
    // The program's own reader decides what a parameter file holds; the
    // recipe's settings, if any, follow its fourteen lines.
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    const parameterfile::Contents contents = parameterfile::read(buffer, path);
    if (contents.failure)
        return Refusal{1, fileFailure("read", path, *contents.failure)};
    const recipetext::Reading recipe = recipetext::read(text);
    if (!recipe.figure)
        return Refusal{1, QString("cannot take the recipe of %1: %2").arg(path, recipe.error)};
    if (recipe.figure->hasSettings)
        figure = *recipe.figure;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        figure.recipe.typed.text[i] = contents.texts[i].toStdString();
    figure.recipe.penColor = *contents.foreground;
    figure.recipe.backColor = *contents.background;
    return std::nullopt;
}

// Applies a settings file: the drawing preferences it holds, refused when
// the reader refuses one of the lines the options stand for.
std::optional<Refusal> applySettingsFile(const QString &path, DrawingPrefs &prefs)
{
    QFile file(path);
    errno = 0;
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return Refusal{1, fileFailure("read", path, failures::fromFile(file, path, errno))};
    const QByteArray text = file.read(settingsfile::maxReadBytes);
    Settings settings;
    const std::vector<int> refused = settingstext::read(
        std::string_view(text.constData(), std::size_t(text.size())), settings, ScreenSize{});
    for (const RenderOption &option : optionTable()) {
        if (!option.setting)
            continue;
        const int line = settingstext::lineNamed(option.setting);
        if (std::find(refused.begin(), refused.end(), line) != refused.end())
            return Refusal{2, QString("%1 line %2: the %3 must be %4")
                                  .arg(path)
                                  .arg(line)
                                  .arg(option.names.last(), rangeText(line))};
    }
    prefs = settings.prefs;
    return std::nullopt;
}

// Applies the render options that stand for settings, each read as its
// settings line would be.
std::optional<Refusal> applyOptions(const QCommandLineParser &parser, DrawingPrefs &prefs)
{
    Settings settings;
    settings.prefs = prefs;
    for (const RenderOption &option : optionTable()) {
        const QString &name = option.names.last();
        if (!option.setting || !parser.isSet(name))
            continue;
        const int line = settingstext::lineNamed(option.setting);
        const QString value = parser.value(name);
        if (!settingstext::applyText(line, value.toStdString(), settings, ScreenSize{}))
            return Refusal{2, QString("bad %1 \"%2\": the %1 must be %3").arg(name, value, rangeText(line))};
    }
    prefs = settings.prefs;
    return std::nullopt;
}

// The picture type: --format's, else OUT's extension. Both go through the
// one table of extensions.
std::optional<Refusal> pictureFormat(const QCommandLineParser &parser, const QString &output,
                                     fileformat::Format &format)
{
    if (parser.isSet("format")) {
        const QString type = parser.value("format");
        const auto named = fileformat::byExtension("picture." + type);
        if (!named || !fileformat::isPicture(*named) || type.contains('.'))
            return Refusal{2,
                           QString("bad format \"%1\": expected bmp, png, svg, jpg, jpeg or pdf").arg(type)};
        format = *named;
        return std::nullopt;
    }
    if (output == "-")
        return Refusal{2, "-o - writes standard output and needs --format"};
    const auto byName = fileformat::byExtension(output);
    if (byName && fileformat::isAnimation(*byName) && renderanimation::wanted(parser)) {
        format = *byName;
        return std::nullopt;
    }
    if (byName && fileformat::isAnimation(*byName))
        return Refusal{2, fileformat::animationRefusal(output)};
    if (!byName || !fileformat::isPicture(*byName))
        return Refusal{2, fileformat::pictureRefusal(output)};
    format = *byName;
    return std::nullopt;
}

// Writes the picture to `path`.
using Writer = std::function<std::optional<Failure>(const QString &path)>;

// Writes the picture to OUT; for -, to standard output: complete into an
// anonymous file first, so that a failure sends nothing, then copied.
std::optional<Refusal> writeOutput(const QString &output, const Writer &write)
{
    if (output != "-") {
        if (const auto failure = write(output))
            return Refusal{1, fileFailure("write", output, *failure)};
        return std::nullopt;
    }
    const int fd = ::memfd_create("volutra-render", MFD_CLOEXEC);
    if (fd < 0)
        return Refusal{1, QString("cannot write standard output: %1").arg(std::strerror(errno))};
    const QString path = QString("/proc/self/fd/%1").arg(fd);
    const auto failure = write(path);
    std::optional<Refusal> refused;
    if (failure)
        refused = Refusal{1, fileFailure("write", "standard output", *failure)};
    else if (!copyToStandardOutput(fd))
        refused = Refusal{1, QString("cannot write standard output: %1").arg(std::strerror(errno))};
    ::close(fd);
    return refused;
}

// The options that say how the picture shows its figure.
std::optional<Refusal> parseLook(const QCommandLineParser &parser, picturelook::Look &look)
{
    look.smooth = parser.isSet("smooth");
    const auto take = [](const auto &reading, auto &value) -> std::optional<Refusal> {
        if (const QString *why = std::get_if<QString>(&reading))
            return Refusal{2, *why};
        value = std::get<0>(reading);
        return std::nullopt;
    };
    if (parser.isSet("fit")) {
        look.fit.emplace();
        if (auto refused = take(picturelook::readMargin(parser.value("fit")), *look.fit))
            return refused;
    }
    if (parser.isSet("page"))
        if (auto refused = take(picturelook::readPage(parser.value("page")), look.page))
            return refused;
    if (parser.isSet("margin"))
        if (auto refused = take(picturelook::readPageMargin(parser.value("margin")), look.pageMargin))
            return refused;
    return std::nullopt;
}

// The arguments with every option whose value may be left out and is given
// alone (--fit) written as --fit=, which the parser reads as an empty value.
QStringList withOptionalValues(QStringList arguments)
{
    for (QString &argument : arguments) {
        if (argument == "--")
            break;
        for (const RenderOption &option : optionTable())
            if (option.optionalValue &&
                (argument == "--" + option.names.last() || argument == "-" + option.names.last()))
                argument = "--" + option.names.last() + "=";
    }
    return arguments;
}

std::optional<Refusal> parseBudget(const QCommandLineParser &parser, double &budget)
{
    if (!parser.isSet("budget"))
        return std::nullopt;
    bool ok = false;
    budget = parser.value("budget").toDouble(&ok);
    if (!ok || !(budget >= 0) || !std::isfinite(budget))
        return Refusal{2,
                       QString("bad budget \"%1\": expected seconds, 0 or more").arg(parser.value("budget"))};
    return std::nullopt;
}

std::optional<Refusal> render(const QStringList &arguments, const QString &called, QTextStream &out,
                              QTextStream &err)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const RenderOption &option : optionTable())
        parser.addOption(QCommandLineOption(option.names, option.help, option.valueName));
    // --help wins wherever it stands, even as the value of another option.
    if (arguments.contains("--help") || arguments.contains("-h")) {
        out << usage(called);
        return Refusal{0, {}};
    }
    if (!parser.parse(QStringList{called} + withOptionalValues(arguments)))
        return Refusal{2, commandline::parserRefusal(parser, arguments)};
    if (parser.isSet("help")) {
        out << usage(called);
        return Refusal{0, {}};
    }
    if (parser.isSet("version")) {
        out << commandline::versionText() << "\n";
        return Refusal{0, {}};
    }
    QStringList figures = parser.positionalArguments();
    if (parser.isSet("render"))
        figures.prepend(parser.value("render"));
    if (figures.isEmpty())
        return Refusal{2, "FIGURE is missing"};
    if (figures.size() > 1)
        return Refusal{2, QString("only one FIGURE can be drawn, %1 were given").arg(figures.size())};
    const QString figurePath = figures.first();
    const QString output = parser.value("output");
    if (output.isEmpty())
        return Refusal{2, "--output OUT is missing"};
    fileformat::Format format{};
    if (const auto refused = pictureFormat(parser, output, format))
        return refused;

    picturelook::Look look;
    if (const auto refused = parseLook(parser, look))
        return refused;
    headless::Job job;
    if (parser.isSet("size"))
        if (const auto refused = parseSize(parser.value("size"), job.size))
            return refused;
    double budget = defaultBudgetSeconds;
    if (const auto refused = parseBudget(parser, budget))
        return refused;
    std::optional<std::uint64_t> seed;
    if (parser.isSet("seed")) {
        bool ok = false;
        seed = parser.value("seed").toULongLong(&ok);
        if (!ok)
            return Refusal{
                2,
                QString("bad seed \"%1\": expected a whole number of 0 or more").arg(parser.value("seed"))};
    }

    recipetext::FigureRecipe figure;
    if (const auto refused = readFigure(figurePath, figure))
        return refused;
    job.recipe = figure.recipe;
    job.twipsPerPixel = figure.hasSettings ? figure.twipsPerPixel : 15;
    if (!parser.isSet("size") && figure.hasSettings && !figure.canvas.isEmpty())
        job.size = figure.canvas;
    const headless::OuterSize outer =
        headless::outerSize(figure.recipe, figure.canvas, job.size, job.twipsPerPixel);
    job.recipe.outerWidth = outer.width;
    job.recipe.outerHeight = outer.height;

    if (parser.isSet("settings"))
        if (const auto refused = applySettingsFile(parser.value("settings"), job.recipe.prefs))
            return refused;
    if (const auto refused = applyOptions(parser, job.recipe.prefs))
        return refused;
    if (const auto corrupt = headless::corruption(job.recipe))
        return Refusal{1, QString("corrupt recipe in %1: %2").arg(figurePath, *corrupt)};
    if (const auto never = headless::refusal(job.recipe))
        return Refusal{2, *never, false};
    if (const auto refused = renderrefusal::beyondBudget(headless::estimate(job), budget))
        return refused;
    if (const auto refused = picturelook::refusal(format, look, job.recipe.prefs.drawMode))
        return Refusal{2, *refused, false};
    if (const auto reached = headless::turnsReached(job.recipe))
        err << messagePrefix
            << QString("warning: %1 turns are beyond the counter's reach; drawing %2 turns\n")
                   .arg(QString::fromStdString(
                       numbers::numberText(job.recipe.prefs.turns, numbers::Precision::Single)))
                   .arg(*reached, 0, 'f', 2);
    job.seed = seed ? *seed : static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
    if (renderanimation::wanted(parser))
        return renderanimation::render(parser, job, format, output, look, budget, err);

    const bool painted = picturelook::painted(format, look);
    if (painted) {
        QString why;
        if (!paintloader::painter(why))
            return Refusal{1, why};
    }
    const framing::Frame frame = figureexport::frameFor(job, format, look);
    // A vector drawing needs the completed recipe, not the pixels.
    const bool pixels = figureexport::needsPixels(format) && !painted;
    headless::Job drawn = job;
    if (!pixels && !painted)
        drawn.size = QSize(1, 1);
    // Progress only on a terminal, where a person waits for it.
    std::optional<RenderProgress> progress;
    if (!parser.isSet("quiet") && ::isatty(STDERR_FILENO)) {
        QElapsedTimer clock;
        clock.start();
        progress.emplace(
            headless::estimate(job).points, DrawingRun::counterStep(job.recipe.prefs.stepSize),
            [&err](const QByteArray &text) {
                err << QString::fromLocal8Bit(text);
                err.flush();
                stopsignals::setLineOpen(true);
            },
            [clock] { return double(clock.nsecsElapsed()) / 1e9; });
        drawn.onCheckpoint = [&progress](std::int64_t counter) { progress->reached(counter); };
    }
    const auto finishProgress = [&progress] {
        if (progress) {
            progress->finish();
            stopsignals::setLineOpen(false);
        }
    };
    if (painted) {
        const figureexport::Painted strokes = figureexport::paint(drawn, format, look, frame);
        finishProgress();
        if (const auto tooLarge = figureexport::refusal(strokes))
            return Refusal{2, *tooLarge};
        const recipetext::FigureRecipe keptFigure{strokes.kept, job.size, job.twipsPerPixel, true};
        return writeOutput(output, [&](const QString &path) {
            return figureexport::writePainted(format, path, keptFigure, strokes, look);
        });
    }
    DrawingSurface surface(drawn.size, job.twipsPerPixel);
    FramedCanvas framed(surface, frame);
    if (look.fit && pixels)
        drawn.through = &framed;
    const Recipe kept = headless::draw(surface, drawn);
    finishProgress();
    const recipetext::FigureRecipe keptFigure{kept, job.size, job.twipsPerPixel, true};
    if (const auto tooLarge = figureexport::refusal(format, keptFigure, frame))
        return Refusal{2, *tooLarge};
    return writeOutput(output, [&](const QString &path) {
        return figureexport::write(format, path, keptFigure, &surface, frame);
    });
}

} // namespace

bool wanted(const QStringList &arguments)
{
    for (const QString &argument : arguments)
        if (argument == "--render" || argument.startsWith("--render="))
            return true;
    return false;
}

QString calledName(const QString &argumentZero)
{
    const QString base = QFileInfo(argumentZero).fileName();
    if (base.isEmpty())
        return "volutra-render";
    return base == "volutra" ? "volutra --render" : base;
}

QString usage(const QString &called)
{
    return QString("Usage: %1 [options] FIGURE\n\n").arg(called) + aboutText + optionLines() + exitText;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &called)
{
    const auto refused = render(arguments, called, out, err);
    if (!refused)
        return 0;
    if (!refused->message.isEmpty()) {
        err << messagePrefix << refused->message;
        if (refused->code == 2 && refused->pointsToHelp)
            err << "; try " << called << " --help";
        err << "\n";
    }
    return refused->code;
}

} // namespace rendercommand

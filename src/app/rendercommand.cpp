#include "rendercommand.h"

#include "figureexport.h"
#include "fileopen.h"
#include "headlessdrawing.h"
#include "parameterfile.h"
#include "pngrecipe.h"
#include "recipetext.h"
#include "settingsfile.h"
#include "settingstext.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace rendercommand {

namespace {

const char *const usageText =
    "Usage: volutra --render FIGURE --output OUT [options]\n"
    "\n"
    "Draws a figure once, as \"Draw\" does, without a window, and writes it to OUT.\n"
    "FIGURE is a parameter file (.par) or a PNG picture written by Volutra, whose\n"
    "recipe draws the same picture again, pixel for pixel at the same size. A PNG\n"
    "without a recipe is refused (exit 1). An exported parameter file keeps its\n"
    "settings too; a plain one draws with the default settings.\n"
    "\n"
    "OUT's extension, in any case, chooses the picture: .bmp (Windows bitmap),\n"
    ".png (with the recipe in a text chunk), .svg (a vector drawing of lines and\n"
    "dots in the pen colour and size; the raster drawing modes do not apply to\n"
    "it), .jpg or .jpeg (JPEG). Any other extension is refused (exit 2) and\n"
    "nothing is written.\n"
    "\n"
    "  --render FIGURE        the figure to draw\n"
    "  --output OUT           the picture to write\n"
    "  --size WIDTHxHEIGHT    the canvas in pixels, 1 to 16384 each (default: the\n"
    "                         recipe's canvas, or 586x466)\n"
    "  --seed N               a whole number that makes random figures and colours\n"
    "                         repeatable\n"
    "  --settings FILE        a settings file (voludef.txt) whose step size, turns,\n"
    "                         pen size, drawing mode, placement (lines 21-24) and\n"
    "                         random colours the drawing uses\n"
    "  --step S               the counter step (above 0; default 100)\n"
    "  --turns T              the number of turns (above 0; default 1); --turns 16\n"
    "                         draws a million points\n"
    "  --pen P                the pen size in pixels (1 to 32766)\n"
    "  --mode M               the drawing mode, 1 to 16 (13 paints the pen colour)\n"
    "  --help                 this text\n"
    "\n"
    "The options win over --settings, which wins over the recipe. Values that the\n"
    "settings file would refuse are refused (exit 2). Exit 1: a file could not be\n"
    "read or written.\n";

constexpr int maximumSide = 16384;
constexpr qint64 maximumRecipeFileBytes = qint64(1) << 20;

// Failures end the command with an exit code and one line of message.
struct Refusal {
    int code;
    QString message;
};

QString fileFailure(const QString &what, const QString &path, const Failure &failure)
{
    return QString("cannot %1 %2: %3 (error %4)").arg(what, path, failure.description).arg(failure.number);
}

// The settings the render options stand for, by the names the settings
// file's table gives them.
struct SettingOption {
    const char *option;
    const char *setting;
};
constexpr SettingOption settingOptions[] = {
    {"step", "stepSize"},
    {"turns", "turns"},
    {"pen", "penSize"},
    {"mode", "drawMode"},
};

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

// The figure: a PNG's recipe, or a parameter file with or without one. The
// file is read once, so that a pipe works too.
std::optional<Refusal> readFigure(const QString &path, recipetext::FigureRecipe &figure)
{
    QFile file(path);
    errno = 0;
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return Refusal{1, fileFailure("read", path, failures::fromFile(file, path, errno))};
    if (pngrecipe::isPng(file.peek(8))) {
        const pngrecipe::Reading reading = pngrecipe::read(file);
        if (!reading.text)
            return Refusal{1, QString("cannot take the recipe of %1: %2").arg(path, reading.error)};
        const recipetext::Reading recipe = recipetext::read(*reading.text);
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
    for (const SettingOption &option : settingOptions) {
        const int line = settingstext::lineNamed(option.setting);
        if (std::find(refused.begin(), refused.end(), line) != refused.end())
            return Refusal{2, QString("%1 line %2: the %3 must be %4")
                                  .arg(path)
                                  .arg(line)
                                  .arg(option.option, rangeText(line))};
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
    for (const SettingOption &option : settingOptions) {
        if (!parser.isSet(option.option))
            continue;
        const int line = settingstext::lineNamed(option.setting);
        const QString value = parser.value(option.option);
        if (!settingstext::applyText(line, value.toStdString(), settings, ScreenSize{}))
            return Refusal{
                2, QString("bad %1 \"%2\": the %1 must be %3").arg(option.option, value, rangeText(line))};
    }
    prefs = settings.prefs;
    return std::nullopt;
}

std::optional<Refusal> render(const QStringList &arguments, QTextStream &out)
{
    if (arguments.contains("--help") || arguments.contains("-h")) {
        out << usageText;
        return Refusal{0, {}};
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {"render", "", "FIGURE"},
        {"output", "", "OUT"},
        {"size", "", "WIDTHxHEIGHT"},
        {"seed", "", "N"},
        {"settings", "", "FILE"},
        {"step", "", "S"},
        {"turns", "", "T"},
        {"pen", "", "P"},
        {"mode", "", "M"},
    });
    if (!parser.parse(QStringList{"volutra"} + arguments))
        return Refusal{2, parser.errorText()};
    if (!parser.positionalArguments().isEmpty())
        return Refusal{2, QString("unknown argument \"%1\"").arg(parser.positionalArguments().first())};
    const QString figurePath = parser.value("render");
    const QString output = parser.value("output");
    if (figurePath.isEmpty())
        return Refusal{2, "--render FIGURE is missing"};
    if (output.isEmpty())
        return Refusal{2, "--output OUT is missing"};
    const auto format = fileformat::byExtension(output);
    if (!format || !fileformat::isPicture(*format))
        return Refusal{2, fileformat::pictureRefusal(output)};

    headless::Job job;
    if (parser.isSet("size"))
        if (const auto refused = parseSize(parser.value("size"), job.size))
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
    if (const auto never = headless::refusal(job.recipe))
        return Refusal{2, *never};
    job.seed = seed ? *seed : static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());

    // A vector drawing needs the completed recipe, not the pixels.
    const bool pixels = figureexport::needsPixels(*format);
    headless::Job drawn = job;
    if (!pixels)
        drawn.size = QSize(1, 1);
    DrawingSurface surface(drawn.size, job.twipsPerPixel);
    const Recipe kept = headless::draw(surface, drawn);
    const recipetext::FigureRecipe keptFigure{kept, job.size, job.twipsPerPixel, true};
    if (const auto tooLarge = figureexport::refusal(*format, keptFigure))
        return Refusal{2, *tooLarge};
    if (const auto failure = figureexport::write(*format, output, keptFigure, &surface))
        return Refusal{1, fileFailure("write", output, *failure)};
    return std::nullopt;
}

} // namespace

bool wanted(const QStringList &arguments)
{
    for (const QString &argument : arguments)
        if (argument == "--render" || argument.startsWith("--render="))
            return true;
    return false;
}

QString usage()
{
    return usageText;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const auto refused = render(arguments, out);
    if (!refused)
        return 0;
    if (!refused->message.isEmpty())
        err << "volutra: " << refused->message << "\n";
    return refused->code;
}

} // namespace rendercommand

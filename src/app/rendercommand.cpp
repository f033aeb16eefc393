#include "rendercommand.h"

#include "headlessdrawing.h"
#include "parameterfile.h"

#include <QDateTime>
#include <QRegularExpression>

namespace rendercommand {

namespace {

const char *const usageText =
    "Usage: volutra --render FIGURE.par --output OUT.bmp [--size WIDTHxHEIGHT] [--seed N]\n"
    "       volutra --help\n"
    "\n"
    "Draws the figure of a parameter file once, as \"Draw\" does with the default\n"
    "settings, on a canvas cleared to the file's background colour, and writes it\n"
    "as a Windows bitmap, or as PNG when OUT ends in .png.\n"
    "\n"
    "  --render FIGURE.par    the parameter file (fourteen lines)\n"
    "  --output OUT           the picture to write (.bmp or .png)\n"
    "  --size WIDTHxHEIGHT    the canvas in pixels, 1 to 16384 each (default 586x466)\n"
    "  --seed N               a whole number that makes a random figure repeatable\n"
    "  --help                 this text\n";

constexpr int maximumSide = 16384;

struct Request {
    QString figure;
    QString output;
    QSize size{586, 466};
    std::uint64_t seed = 0;
    bool seeded = false;
};

// Reads the options; returns an error text, or an empty one.
QString parse(const QStringList &arguments, Request &request)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option != "--render" && option != "--output" && option != "--size" && option != "--seed")
            return QString("unknown argument \"%1\"").arg(option);
        if (!hasValue)
            return QString("%1 needs a value").arg(option);
        const QString value = arguments[++i];
        if (option == "--render") {
            request.figure = value;
        } else if (option == "--output") {
            request.output = value;
        } else if (option == "--size") {
            static const QRegularExpression form("^(\\d{1,5})x(\\d{1,5})$");
            const auto match = form.match(value);
            const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
            const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
            if (width < 1 || height < 1 || width > maximumSide || height > maximumSide)
                return QString("bad size \"%1\": expected WIDTHxHEIGHT, each 1 to %2")
                    .arg(value)
                    .arg(maximumSide);
            request.size = QSize(width, height);
        } else {
            bool ok = false;
            request.seed = value.toULongLong(&ok);
            if (!ok)
                return QString("bad seed \"%1\": expected a whole number of 0 or more").arg(value);
            request.seeded = true;
        }
    }
    if (request.figure.isEmpty())
        return "--render FIGURE.par is missing";
    if (request.output.isEmpty())
        return "--output OUT is missing";
    return {};
}

} // namespace

bool wanted(const QStringList &arguments)
{
    return arguments.contains("--render");
}

QString usage()
{
    return usageText;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.contains("--help") || arguments.contains("-h")) {
        out << usageText;
        return 0;
    }
    Request request;
    if (const QString problem = parse(arguments, request); !problem.isEmpty()) {
        err << "volutra: " << problem << "\n";
        return 2;
    }

    const parameterfile::Contents contents = parameterfile::read(request.figure);
    if (contents.failure) {
        err << "volutra: cannot read " << request.figure << ": " << contents.failure->description
            << " (error " << contents.failure->number << ")\n";
        return 1;
    }
    ParameterTexts texts;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        texts.text[i] = contents.texts[i].toStdString();

    const std::uint64_t seed =
        request.seeded ? request.seed : static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
    DrawingSurface surface(request.size, 15);
    headless::drawFigure(surface, texts, *contents.foreground, *contents.background, seed);
    const bool png = request.output.endsWith(".png", Qt::CaseInsensitive);
    if (const auto failure = surface.saveImage(request.output, png ? "PNG" : "BMP")) {
        err << "volutra: cannot write " << request.output << ": " << failure->description << " (error "
            << failure->number << ")\n";
        return 1;
    }
    return 0;
}

} // namespace rendercommand

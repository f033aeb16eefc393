// SPDX-License-Identifier: GPL-3.0-or-later
#include "recipetext.h"

#include "numbers.h"
#include "parameterfile.h"

#include <QBuffer>
#include <QList>

#include <cmath>
#include <limits>

namespace recipetext {

namespace {

constexpr int parameterLineCount = 14;
constexpr int maximumSide = 16384;

QByteArray number(double value)
{
    return QByteArray::fromStdString(recipe::exactText(value));
}

QByteArray versionLine()
{
    return QByteArray(versionPrefix) + QByteArray::number(version) + "\r\n";
}

QByteArray parameterLines(const Recipe &kept)
{
    const ParameterTexts texts = recipe::fieldTexts(kept);
    parameterfile::FieldTexts fields;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        fields[i] = QString::fromStdString(texts.text[i]);
    return parameterfile::bytes(fields, kept.penColor, kept.backColor);
}

QByteArray settingLines(const FigureRecipe &figure)
{
    const Recipe &r = figure.recipe;
    QByteArray text;
    const auto line = [&text](const char *name, const QByteArray &value) {
        text += name;
        text += ' ';
        text += value;
        text += "\r\n";
    };
    line("stepSize", number(r.prefs.stepSize));
    line("turns", number(r.prefs.turns));
    line("penSize", QByteArray::number(r.prefs.penSize));
    line("drawMode", QByteArray::number(r.prefs.drawMode));
    line("drawLeftOffset", QByteArray::number(r.prefs.placement.drawLeftOffset));
    line("drawTopOffset", QByteArray::number(r.prefs.placement.drawTopOffset));
    line("drawPartX", number(r.prefs.placement.drawPartX));
    line("drawPartY", number(r.prefs.placement.drawPartY));
    line("windowWidth", number(r.outerWidth));
    line("windowHeight", number(r.outerHeight));
    line("canvas",
         QByteArray::number(figure.canvas.width()) + ' ' + QByteArray::number(figure.canvas.height()));
    line("twipsPerPixel", number(figure.twipsPerPixel));
    if (r.randomPen)
        line("randomPen",
             QByteArray::number(r.randomPen->seed) + ' ' + QByteArray::number(r.randomPen->drawsBefore));
    return text;
}

// Lines ended by CR LF, LF or a lone CR, as the parameter file reads them.
QList<QByteArray> splitLines(const QByteArray &text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

// The version a line names, or nothing when it names none.
std::optional<int> versionOf(const QByteArray &line)
{
    if (!line.startsWith(versionPrefix))
        return std::nullopt;
    bool ok = false;
    const int named = line.mid(qsizetype(sizeof versionPrefix) - 1).trimmed().toInt(&ok);
    return ok ? std::optional<int>(named) : std::nullopt;
}

double value(const QList<QByteArray> &words, int index)
{
    return index < words.size() ? numbers::leadingNumber(words[index].toStdString()) : 0.0;
}

// A whole number within [low, high], or `fallback`.
int wholeWithin(double v, int low, int high, int fallback)
{
    const auto rounded = numbers::roundToInt32(v);
    return rounded && *rounded >= low && *rounded <= high ? *rounded : fallback;
}

double finiteOr(double v, double fallback)
{
    return std::isfinite(v) ? v : fallback;
}

// The counter's step and turns may be infinite, as typed values beyond the
// range make them; they are written as 1E+999 and read back as they were.
double numberOr(double v, double fallback)
{
    return std::isnan(v) ? fallback : v;
}

// A number as the single precision of the turns holds it: beyond its range
// it is infinite, as the window makes it.
float singleOf(double v)
{
    // Half a unit in the last place above the largest float rounds to infinity.
    constexpr double rounding = std::numeric_limits<float>::max() + 0x1p103;
    if (v >= rounding || v <= -rounding)
        return v > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

std::uint64_t wholeNumber(const QByteArray &word)
{
    bool ok = false;
    const std::uint64_t v = word.toULongLong(&ok);
    return ok ? v : 0;
}

// Applies one settings line; unknown names and values that could not have
// come from a drawing are skipped.
void applySetting(const QByteArray &line, FigureRecipe &figure)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray &name = words.first();
    Recipe &r = figure.recipe;
    const double v = value(words, 1);
    if (name == "stepSize") {
        r.prefs.stepSize = numberOr(v, r.prefs.stepSize);
    } else if (name == "turns") {
        r.prefs.turns = singleOf(numberOr(v, r.prefs.turns));
    } else if (name == "penSize") {
        r.prefs.penSize = wholeWithin(v, 1, 32766, r.prefs.penSize);
    } else if (name == "drawMode") {
        r.prefs.drawMode = wholeWithin(v, 1, 16, r.prefs.drawMode);
    } else if (name == "drawLeftOffset") {
        r.prefs.placement.drawLeftOffset =
            numbers::roundToInt32(v).value_or(r.prefs.placement.drawLeftOffset);
    } else if (name == "drawTopOffset") {
        r.prefs.placement.drawTopOffset = numbers::roundToInt32(v).value_or(r.prefs.placement.drawTopOffset);
    } else if (name == "drawPartX") {
        r.prefs.placement.drawPartX = static_cast<float>(finiteOr(v, r.prefs.placement.drawPartX));
    } else if (name == "drawPartY") {
        r.prefs.placement.drawPartY = static_cast<float>(finiteOr(v, r.prefs.placement.drawPartY));
    } else if (name == "windowWidth") {
        r.outerWidth = finiteOr(v, 0);
    } else if (name == "windowHeight") {
        r.outerHeight = finiteOr(v, 0);
    } else if (name == "canvas") {
        const int width = wholeWithin(value(words, 1), 1, maximumSide, 0);
        const int height = wholeWithin(value(words, 2), 1, maximumSide, 0);
        figure.canvas = width > 0 && height > 0 ? QSize(width, height) : QSize();
    } else if (name == "twipsPerPixel") {
        figure.twipsPerPixel = v > 0 && std::isfinite(v) ? v : figure.twipsPerPixel;
    } else if (name == "randomPen" && words.size() >= 3) {
        r.randomPen = RandomPen{wholeNumber(words[1]), wholeNumber(words[2])};
    }
}

} // namespace

QByteArray chunkText(const FigureRecipe &figure)
{
    return versionLine() + parameterLines(figure.recipe) + settingLines(figure);
}

QByteArray parameterFile(const FigureRecipe &figure)
{
    return parameterLines(figure.recipe) + versionLine() + settingLines(figure);
}

Reading read(const QByteArray &text)
{
    const QList<QByteArray> lines = splitLines(text);
    const std::optional<int> leading = lines.isEmpty() ? std::nullopt : versionOf(lines.first());
    const qsizetype parametersAt = leading ? 1 : 0;
    if (lines.size() < parametersAt + parameterLineCount)
        return {std::nullopt, QStringLiteral("the recipe has fewer than fourteen parameter lines")};

    QByteArray parameters;
    for (qsizetype i = parametersAt; i < parametersAt + parameterLineCount; ++i)
        parameters += lines[i] + "\r\n";
    QBuffer buffer(&parameters);
    buffer.open(QIODevice::ReadOnly);
    const parameterfile::Contents contents = parameterfile::read(buffer, QString());
    if (contents.failure)
        return {std::nullopt, contents.failure->description};

    FigureRecipe figure;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        figure.recipe.typed.text[i] = contents.texts[i].toStdString();
    figure.recipe.penColor = *contents.foreground;
    figure.recipe.backColor = *contents.background;

    qsizetype settingsAt = parametersAt + parameterLineCount;
    std::optional<int> named = leading;
    if (!named && settingsAt < lines.size()) {
        named = versionOf(lines[settingsAt]);
        if (named)
            ++settingsAt;
    }
    if (!named)
        return {figure, {}};
    if (*named > version || *named < 1)
        return {std::nullopt, QStringLiteral("the recipe is of version %1; this program reads version %2")
                                  .arg(*named)
                                  .arg(version)};
    figure.hasSettings = true;
    for (qsizetype i = settingsAt; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty())
            applySetting(lines[i], figure);
    return {figure, {}};
}

} // namespace recipetext

// SPDX-License-Identifier: GPL-3.0-or-later
#include "filecommands.h"

#include "drawingrun.h"
#include "figureexport.h"
#include "filechoice.h"
#include "fileopen.h"
#include "picturerecipe.h"
#include "printing.h"
#include "surfaceimages.h"

#include <QFile>
#include <QPrinter>

#include <cerrno>

FileCommands::FileCommands(ControlPanel &panel, FormState &state, DrawingSurface &surface, DrawingHost &host,
                           Dialogs &dialogs)
    : panel_(panel), state_(state), surface_(surface), host_(host), dialogs_(dialogs)
{
}

void FileCommands::clearProgressBar()
{
    drawing::clearProgressBar(surface_, host_.panelLeft(), host_.panelHeight(), state_.backgroundColor);
}

std::optional<Failure> FileCommands::chooseFileAndAct(FileDialogRequest::Mode mode, const Action &bitmap,
                                                      const Action &parameters)
{
    const auto choice = dialogs_.chooseFile(filechoice::request(mode));
    if (const auto *refused = std::get_if<Failure>(&choice))
        return *refused;
    const QString path = std::get<QString>(choice);
    if (path.isEmpty())
        return std::nullopt;
    return fileaction::byExtension(path, bitmap, parameters, dialogs_);
}

void FileCommands::save()
{
    clearProgressBar();
    const auto failure = chooseFileAndAct(
        FileDialogRequest::Mode::Save, [this](const QString &path) { return surface_.saveImage(path); },
        [this](const QString &path) {
            parameterfile::FieldTexts texts;
            for (int i = 0; i < ParameterTexts::Count; ++i)
                texts[i] = panel_.field(static_cast<ParameterTexts::Index>(i))->text();
            return parameterfile::write(path, texts, state_.foregroundColor, state_.backgroundColor);
        });
    if (failure && !filechoice::isSilent(*failure))
        dialogs_.message(filechoice::errorMessage("File save error : ", *failure), Dialogs::Buttons::Ok);
}

std::optional<Failure> FileCommands::readParameterFile(const QString &path)
{
    const parameterfile::Contents contents = parameterfile::read(path);
    applyParameters(contents);
    return contents.failure;
}

void FileCommands::applyParameters(const parameterfile::Contents &contents)
{
    // What came before a failure stays applied.
    for (std::size_t i = 0; i < contents.texts.size() && i < ParameterTexts::Count; ++i)
        panel_.setText(static_cast<ParameterTexts::Index>(i), contents.texts[i]);
    if (contents.foreground)
        state_.foregroundColor = *contents.foreground;
    if (contents.background) {
        state_.backgroundColor = *contents.background;
        surface_.setBackColor(state_.backgroundColor);
    }
}

std::optional<Failure> FileCommands::readPicture(const QString &path, bool &figureSet)
{
    QFile file(path);
    errno = 0;
    if (!fileopen::open(file, QIODevice::ReadOnly))
        return failures::fromFile(file, path, errno);
    // The name is that of a picture, so there is always a reader.
    const auto format = picturerecipe::formatOf(file.peek(picturerecipe::startBytes), path);
    const recipetext::Reading reading = picturerecipe::read(*format, file);
    if (!reading.figure) {
        dialogs_.message(QStringLiteral("Cannot take the recipe of %1: %2").arg(path, reading.error),
                         Dialogs::Buttons::Ok);
        return std::nullopt;
    }
    parameterfile::Contents contents;
    for (const std::string &text : reading.figure->recipe.typed.text)
        contents.texts.push_back(QString::fromStdString(text));
    contents.foreground = reading.figure->recipe.penColor;
    contents.background = reading.figure->recipe.backColor;
    applyParameters(contents);
    figureSet = true;
    return std::nullopt;
}

void FileCommands::loadFrom(const DialogResult<QString> &name, fileaction::Source source,
                            const fileaction::Action &parameters, const fileaction::Action &picture)
{
    const bool autoRedraw = surface_.autoRedraw();
    surface_.setAutoRedraw(false);
    clearProgressBar();
    fileaction::load(
        name, source, [this](const QString &file) { return surfaceimages::loadPicture(surface_, file); },
        parameters, dialogs_, picture);
    surface_.setAutoRedraw(autoRedraw);
}

void FileCommands::load()
{
    loadFrom(dialogs_.chooseFile(filechoice::request(FileDialogRequest::Mode::Open)),
             fileaction::Source::Dialog, [this](const QString &file) { return readParameterFile(file); }, {});
}

bool FileCommands::open(const QString &path)
{
    bool figureSet = false;
    loadFrom(
        path, fileaction::Source::Name,
        [this, &figureSet](const QString &file) {
            auto failure = readParameterFile(file);
            figureSet = !failure;
            return failure;
        },
        [this, &figureSet](const QString &file) { return readPicture(file, figureSet); });
    return figureSet;
}

void FileCommands::print()
{
    clearProgressBar();
    panel_.hide();
    QPrinter printer;
    std::optional<Failure> failure = dialogs_.choosePrinter(
        printer, Dialogs::NoSelection | Dialogs::NoPageNumbers | Dialogs::PrinterCopies, "Select printer");
    if (!failure)
        failure = printing::printImage(printer, surfaceimages::image(surface_));
    panel_.show();
    if (failure && failure->number != failures::Cancelled && failure->number != 0)
        dialogs_.message("Print error : " + failures::numberWithSign(failure->number) + " " +
                             failure->description,
                         Dialogs::Buttons::Ok);
}

void FileCommands::exportFigure()
{
    if (!state_.lastRecipe) {
        dialogs_.message("There is nothing to export yet: draw a figure first.", Dialogs::Buttons::Ok);
        return;
    }
    exportFigure({*state_.lastRecipe, surface_.size(), surface_.twipsPerPixel(), true});
}

void FileCommands::exportFigure(const recipetext::FigureRecipe &figure)
{
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = "Export figure";
    request.filter = "PNG picture (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf|"
                     "Parameters (*.par)|*.par|Animated GIF (*.gif)|*.gif|Animated WebP (*.webp)|*.webp|"
                     "MP4 video (*.mp4)|*.mp4";
    request.defaultExtension = "PNG";
    request.confirmOverwrite = true;
    request.choices = {{"Figure:", {"As on screen", "Fitted"}}, {"Pixels:", {"As drawn", "Smooth"}}};
    const auto choice = dialogs_.chooseFileWithChoices(request);
    std::optional<Failure> failure;
    if (const auto *refused = std::get_if<Failure>(&choice))
        failure = *refused;
    const ChosenFile chosen = failure ? ChosenFile{} : std::get<ChosenFile>(choice);
    const QString &path = chosen.path;
    if (!path.isEmpty()) {
        const auto format = fileformat::byExtension(path);
        // Smooth is for pictures of pixels; the vector drawings are smooth anyway.
        picturelook::Look look;
        if (chosen.choices.value(0) == 1)
            look.fit.emplace();
        const bool pixels = format && (fileformat::isRaster(*format) || fileformat::isAnimation(*format));
        look.smooth = chosen.choices.value(1) == 1 && pixels;
        if (format && fileformat::isAnimation(*format)) {
            const std::unique_ptr<ProgressReport> progress =
                dialogs_.showProgress("Drawing the animation...");
            failure = figureexport::exportFigure(path, figure, look, [&progress](int drawn, int frames) {
                return !progress || progress->reached(drawn, frames);
            });
        } else if (format)
            failure = figureexport::exportFigure(path, figure, look);
        else
            dialogs_.message(filechoice::wrongExtensionMessage(path), Dialogs::Buttons::Ok);
    }
    if (failure && failure->number != failures::Cancelled)
        dialogs_.message(filechoice::errorMessage("Export error : ", *failure), Dialogs::Buttons::Ok);
}

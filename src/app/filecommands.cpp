#include "filecommands.h"

#include "drawingrun.h"
#include "figureexport.h"
#include "fileaction.h"
#include "filechoice.h"
#include "parameterfile.h"
#include "printing.h"
#include "surfaceimages.h"

#include <QPrinter>

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
    // What came before a failure stays applied.
    for (std::size_t i = 0; i < contents.texts.size() && i < ParameterTexts::Count; ++i)
        panel_.setText(static_cast<ParameterTexts::Index>(i), contents.texts[i]);
    if (contents.foreground)
        state_.foregroundColor = *contents.foreground;
    if (contents.background) {
        state_.backgroundColor = *contents.background;
        surface_.setBackColor(state_.backgroundColor);
    }
    return contents.failure;
}

void FileCommands::load(const std::optional<QString> &path)
{
    const bool autoRedraw = surface_.autoRedraw();
    surface_.setAutoRedraw(false);
    clearProgressBar();
    const DialogResult<QString> name =
        path ? DialogResult<QString>(*path)
             : dialogs_.chooseFile(filechoice::request(FileDialogRequest::Mode::Open));
    fileaction::load(
        name, path ? fileaction::Source::Name : fileaction::Source::Dialog,
        [this](const QString &file) { return surfaceimages::loadPicture(surface_, file); },
        [this](const QString &file) { return readParameterFile(file); }, dialogs_);
    surface_.setAutoRedraw(autoRedraw);
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
                     "Parameters (*.par)|*.par";
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
        look.smooth = chosen.choices.value(1) == 1 && format && fileformat::isRaster(*format);
        if (format)
            failure = figureexport::exportFigure(path, figure, look);
        else
            dialogs_.message(filechoice::wrongExtensionMessage(path), Dialogs::Buttons::Ok);
    }
    if (failure && failure->number != failures::Cancelled)
        dialogs_.message(filechoice::errorMessage("Export error : ", *failure), Dialogs::Buttons::Ok);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controlpanel.h"
#include "dialogs.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "fileaction.h"
#include "formstate.h"
#include "parameterfile.h"
#include "recipetext.h"

#include <QString>

#include <functional>
#include <optional>

// What the window does with files: Save, Load (from its dialog, a name on
// the command line or a drop), Print and "Export figure". The progress bar
// is cleared first, so that it never lands in a saved or printed picture.
class FileCommands {
public:
    FileCommands(ControlPanel &panel, FormState &state, DrawingSurface &surface, DrawingHost &host,
                 Dialogs &dialogs);

    // "Save": the picture as a bitmap, or the fields and colours as a
    // parameter file.
    void save();
    // "Load" with the name its dialog gives.
    void load();
    // Opens a file named outside Load's dialog (the command line, a drop, the
    // desktop) as Load opens it, and also a picture of ours (.png, .svg,
    // .pdf): the parameter lines of its recipe set the fields and colours as
    // Load sets them from a parameter file. A picture without a recipe gets a
    // message that says so. True when the fields and colours of a figure were
    // set, for the caller to draw it.
    bool open(const QString &path);
    // "Print": the picture without the panel.
    void print();
    // "Export figure": the last drawing's recipe as a parameter file, or
    // drawn again at the canvas size as a picture.
    void exportFigure();
    // The same dialog and files for a figure kept earlier.
    void exportFigure(const recipetext::FigureRecipe &figure);

private:
    using Action = std::function<std::optional<Failure>(const QString &)>;

    void clearProgressBar();
    // Asks for a file name and hands it to the action its extension calls
    // for; a name with another extension gets the wrong-extension message.
    std::optional<Failure> chooseFileAndAct(FileDialogRequest::Mode mode, const Action &bitmap,
                                            const Action &parameters);
    std::optional<Failure> readParameterFile(const QString &path);
    // Sets the fields and colours from what a parameter file held.
    void applyParameters(const parameterfile::Contents &contents);
    // Sets them from the recipe of the picture at `path`; `figureSet` tells
    // whether it did.
    std::optional<Failure> readPicture(const QString &path, bool &figureSet);
    // Load with the name given or chosen; `picture` is empty for Load itself.
    void loadFrom(const DialogResult<QString> &name, fileaction::Source source,
                  const fileaction::Action &parameters, const fileaction::Action &picture);

    ControlPanel &panel_;
    FormState &state_;
    DrawingSurface &surface_;
    DrawingHost &host_;
    Dialogs &dialogs_;
};

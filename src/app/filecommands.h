#pragma once

#include "controlpanel.h"
#include "dialogs.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "formstate.h"
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
    // "Load" with `path`, or with the name its dialog gives when there is none.
    void load(const std::optional<QString> &path);
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

    ControlPanel &panel_;
    FormState &state_;
    DrawingSurface &surface_;
    DrawingHost &host_;
    Dialogs &dialogs_;
};

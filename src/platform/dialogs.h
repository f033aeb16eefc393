// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colors.h"
#include "failure.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>

class QPrinter;

// A choice the file dialog offers beside the name: its label and its
// values, the first chosen when the dialog opens.
struct DialogChoice {
    QString label;
    QStringList values;
};

// A file name chosen in the file dialog, or why there is none.
struct FileDialogRequest {
    enum class Mode { Save, Open };
    Mode mode = Mode::Open;
    QString title;
    // Pairs of description and pattern, all separated by "|"; the first pair
    // is chosen when the dialog opens.
    QString filter;
    // Added to a name typed without an extension, e.g. "BMP".
    QString defaultExtension;
    QString fileName;
    // Whether saving over an existing file asks first.
    bool confirmOverwrite = false;
    // What else the dialog asks, for chooseFileWithChoices.
    QList<DialogChoice> choices;
};

// The name chosen with, for each of the request's choices, the index of the
// value chosen.
struct ChosenFile {
    QString path;
    QList<int> choices;
};

// Either the value the user chose, or a failure; cancelling is the failure
// failures::Cancelled.
template <typename T> using DialogResult = std::variant<T, Failure>;

// A long task's progress in front of the user, with a button that cancels
// it; it goes away when destroyed.
class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    // `done` of `total` steps are done; false once the user has cancelled.
    virtual bool reached(int done, int total) = 0;
};

// Everything the program asks the user through the platform's standard
// dialogs, message boxes and the help viewer. The window calls only this
// interface, so that tests can answer every question without a modal dialog.
class Dialogs {
public:
    enum class Buttons { Ok, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };

    // Print dialog options: no selection choice, no page-number choice,
    // copies handled by the printer.
    static constexpr int NoSelection = 0x4;
    static constexpr int NoPageNumbers = 0x8;
    static constexpr int PrinterCopies = 0x40000;

    virtual ~Dialogs() = default;

    // The full path the user chose. No overwrite warning is given unless the
    // request asks for one.
    virtual DialogResult<QString> chooseFile(const FileDialogRequest &request) = 0;

    // The same, with the request's choices offered beside the name.
    virtual DialogResult<ChosenFile> chooseFileWithChoices(const FileDialogRequest &request) = 0;

    // The colour the user chose, starting from `initial`.
    virtual DialogResult<colors::Color> chooseColor(colors::Color initial, const QString &title) = 0;

    // Lets the user pick the printer and its settings, which `printer` takes.
    // Returns a failure (cancelling included) or nothing.
    virtual std::optional<Failure> choosePrinter(QPrinter &printer, int options, const QString &title) = 0;

    // A message box; an empty caption shows the program title "VOLUTRA". With
    // Yes, No and Cancel, Yes is the default; closing the box answers Cancel.
    virtual Answer message(const QString &text, Buttons buttons, const QString &caption = {}) = 0;

    // Shows a text file to the user in a viewer that runs on its own.
    virtual void openTextFile(const QString &path) = 0;

    // The progress of a task that may take a while, shown once it has taken
    // half a second; nothing shows it by default.
    virtual std::unique_ptr<ProgressReport> showProgress(const QString &label)
    {
        static_cast<void>(label);
        return nullptr;
    }
};

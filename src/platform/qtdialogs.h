// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"

#include <QPointer>
#include <QUrl>

#include <functional>

class QWidget;

// The dialogs of the program on Qt's standard dialogs. Every dialog is modal
// to the parent window; the help viewer is not.
class QtDialogs : public Dialogs {
public:
    // Hands a file to the desktop's own viewer; false when that failed.
    using Launcher = std::function<bool(const QUrl &)>;

    // An empty launcher means QDesktopServices::openUrl.
    explicit QtDialogs(QWidget *parent, Launcher launcher = {});

    DialogResult<QString> chooseFile(const FileDialogRequest &request) override;
    // The choices are boxes below the name; they need Qt's own file dialog.
    DialogResult<ChosenFile> chooseFileWithChoices(const FileDialogRequest &request) override;
    DialogResult<colors::Color> chooseColor(colors::Color initial, const QString &title) override;
    std::optional<Failure> choosePrinter(QPrinter &printer, int options, const QString &title) override;
    Answer message(const QString &text, Buttons buttons, const QString &caption = {}) override;

    // Opens the file with the desktop's viewer; when there is none, or the
    // file is missing, shows it in a read-only window of the program's own.
    void openTextFile(const QString &path) override;

    // A window-modal QProgressDialog with a Cancel button.
    std::unique_ptr<ProgressReport> showProgress(const QString &label) override;

private:
    QPointer<QWidget> parent_;
    Launcher launcher_;
};

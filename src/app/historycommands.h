// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history.h"
#include "historywindow.h"
#include "recipetext.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <optional>

class FileCommands;
class Form1;

// The window's history of drawings: every drawing kept with a thumbnail,
// Alt+Left and Alt+Right to step through them, the History window (Ctrl+H)
// and Ctrl+V of a recipe. Bringing a figure back stops any run, puts the
// figure's parameters into the fields, its colours and drawing preferences
// into the window, and draws it again with its random pen colours; that
// drawing adds no entry of its own but makes its entry the current one.
class HistoryCommands : public QObject {
    Q_OBJECT
public:
    HistoryCommands(Form1 &form, FileCommands &files, const QString &path);

    History &history() { return history_; }
    // The History window, created when first shown.
    HistoryWindow *window() const { return window_; }

    void step(int direction);
    void bringBack(std::uint64_t id);
    // Ctrl+V: the clipboard's recipe or parameter file lines.
    void paste();
    void showWindow();

signals:
    // A drawing was kept as the entry `id`.
    void kept(std::uint64_t id);

private:
    void keep();
    // Draws `figure` again as described above; `entry` is its history entry,
    // none for a figure from elsewhere, which is kept as a new one.
    void drawAgain(const recipetext::FigureRecipe &figure, std::optional<std::uint64_t> entry);
    std::optional<recipetext::FigureRecipe> figureOf(std::uint64_t id) const;
    void exportEntry(std::uint64_t id);
    void copyEntry(std::uint64_t id);
    void remove(std::uint64_t id);
    void setFavourite(std::uint64_t id, bool favourite);
    void showCurrent();

    Form1 &form_;
    FileCommands &files_;
    History history_;
    QPointer<HistoryWindow> window_;
    // The entry being drawn again, while it is.
    std::optional<std::uint64_t> recalling_;
};

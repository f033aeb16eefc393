// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class FileCommands;
class Form1;

// A file opened from outside the window: a FILE on the command line, a file
// dropped on the window, the desktop's "Open with". A drawing or automatic
// run in progress stops first; the file opens as FileCommands::open opens
// it, and the figure it sets (a parameter file, or the recipe of a PNG, SVG
// or PDF of ours) is drawn at once, as "Draw" draws it.
class FigureOpening : public QObject {
    Q_OBJECT
public:
    FigureOpening(Form1 &form, FileCommands &files);

    void open(const QString &path);

private:
    Form1 &form_;
    FileCommands &files_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvaswidget.h"
#include "controlpanel.h"
#include "dialogs.h"
#include "drawinghost.h"
#include "drawingsurface.h"
#include "filecommands.h"
#include "formstate.h"
#include "randomsource.h"
#include "settings.h"

#include <QCoreApplication>
#include <QShortcut>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class FigureOpening;
class HistoryCommands;

// Where a window keeps its settings and how it asks the user.
struct FormOptions {
    // Where the settings file is read and written; empty for the program's
    // usual place.
    QString settingsPath;
    // The dialogs to ask through; nullptr for the platform's own.
    Dialogs *dialogs = nullptr;
    // Where the history of drawings is kept; empty for the program's usual
    // place (see historyFilePath).
    QString historyPath;
};

// The program's one window: the canvas with the control panel standing over
// its right-hand part. Every piece of work is one of its handlers.
class Form1 : public QWidget, public DrawingHost {
    Q_OBJECT
public:
    // Creating the window starts the program (Form_Load).
    explicit Form1(FormOptions options = FormOptions());
    ~Form1() override;

    FormState &state() { return state_; }
    DrawingSurface &surface() { return surface_; }
    RandomSource &random() { return random_; }

    // The outer size of the window, frame included, in twips.
    double windowWidth() const;
    double windowHeight() const;

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Form_MouseDown(float x, float y);
    void Form_MouseMove(float x, float y);
    void Form_MouseUp(float x, float y);
    void Form_DblClick();
    void Command1_Click();
    void Command3_Click();
    void Command17_Click();
    void Check1_Click();
    void Check2_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command16_Click();
    // "Export figure" (Ctrl+E): the last drawing's recipe as a parameter
    // file, or drawn again at the canvas size as a picture.
    void exportFigure();

    // Opens a file by name, for a FILE on the command line and a dropped
    // file: see FigureOpening.
    void openFile(const QString &path);

    // Reads the settings file and applies it; a missing or unreadable file
    // leaves everything as it is.
    void loadSettings();
    // Writes the settings file from the current state.
    std::optional<Failure> saveSettings();
    QString settingsPath() const;
    // The screen's size in twips.
    ScreenSize screenSize() const;

    // Ends the program at once: a run in progress is abandoned at its next
    // yield and no further handler runs.
    void endProgram();

    // DrawingHost
    ParameterTexts parameterTexts() const override { return Frame1->texts(); }
    void emptyField(ParameterTexts::Index field) override { Frame1->setText(field, QString()); }
    void setDrawEnabled(bool enabled) override { Frame1->setDrawEnabled(enabled); }
    void setRunning(bool running) override;
    void clean() override { Command3_Click(); }
    double outerWidth() const override { return windowWidth(); }
    double outerHeight() const override { return windowHeight(); }
    double panelLeft() const override { return surface_.toTwips(Frame1->x()); }
    double panelHeight() const override { return surface_.toTwips(Frame1->height()); }
    void processEvents() override { QCoreApplication::processEvents(); }
    void wait(std::chrono::microseconds duration) override;
    bool programEnded() const override { return ended_; }
    void drawingDone() override { emit figureDrawn(); }

    CanvasWidget *canvas;
    ControlPanel *Frame1;

signals:
    void programEnding();
    // A drawing has ended; state().lastRecipe is its recipe.
    void figureDrawn();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int toPixels(double twips) const;
    void placePanel();
    Settings gatherSettings() const;
    void applySettings(const Settings &settings);
    void setOuterGeometry(float left, float top, float width, float height);
    // Lets the user pick `color` in the colour dialog; false when nothing was
    // picked (a failure other than cancelling shows `errorPrefix` and why).
    bool pickColor(colors::Color &color, const QString &title, const QString &errorPrefix);

    FormOptions options_;
    FormState state_;
    DrawingSurface surface_;
    RandomSource random_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs *dialogs_ = nullptr;
    std::unique_ptr<FileCommands> files_;
    FigureOpening *opening_ = nullptr;
    HistoryCommands *history_ = nullptr;
    QShortcut *escape_ = nullptr;
    QShortcut *export_ = nullptr;
    QString autoRunIdleCaption_;
    QString autoRunStopCaption_;
    bool ended_ = false;
    // The outer geometry the settings asked for, applied again once the
    // window's frame is known.
    std::optional<QRectF> requestedGeometry_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "historycommands.h"

#include "filecommands.h"
#include "form1.h"
#include "headlessdrawing.h"
#include "historywindow.h"
#include "thumbnail.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QShortcut>
#include <QTimer>

#include <cstdio>

namespace {

HistoryWindow::Row rowOf(const HistoryEntry &entry)
{
    return {entry.id, QDateTime::fromMSecsSinceEpoch(entry.time), entry.favourite, entry.thumbnail};
}

} // namespace

HistoryCommands::HistoryCommands(Form1 &form, FileCommands &files, const QString &path)
    : QObject(&form), form_(form), files_(files), history_(path)
{
    setObjectName("HistoryCommands");
    const auto shortcut = [this](QKeySequence keys, auto action) {
        connect(new QShortcut(keys, &form_), &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { step(-1); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { step(+1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_H), [this] { showWindow(); });
    // A field with the focus takes Ctrl+V for itself first.
    shortcut(QKeySequence::Paste, [this] { paste(); });
    connect(&form_, &Form1::figureDrawn, this, &HistoryCommands::keep);
    connect(&history_, &History::thumbnailMade, this, [this](std::uint64_t id) {
        if (const HistoryEntry *entry = history_.find(id); entry && window_)
            window_->setThumbnail(id, entry->thumbnail);
    });
}

void HistoryCommands::keep()
{
    if (recalling_) {
        history_.setCurrent(*recalling_);
        showCurrent();
        return;
    }
    const DrawingSurface &surface = form_.surface();
    const recipetext::FigureRecipe figure{*form_.state().lastRecipe, surface.size(), surface.twipsPerPixel(),
                                          true};
    // Only the copy of the picture is taken here; it is scaled down and the
    // entry written while the next drawing runs.
    const HistoryEntry &entry = history_.add(
        recipetext::chunkText(figure),
        [picture = thumbnail::picture(surface)] { return thumbnail::png(picture); },
        QDateTime::currentMSecsSinceEpoch());
    const std::uint64_t id = entry.id;
    if (window_) {
        window_->addRow(rowOf(entry));
        // Entries beyond the bound went from the history: their rows go too.
        window_->trimTo(history_.entries().size(),
                        [this](std::uint64_t kept) { return history_.find(kept); });
        showCurrent();
    }
    emit kept(id);
}

void HistoryCommands::showCurrent()
{
    if (window_ && history_.current())
        window_->setCurrent(*history_.current());
}

std::optional<recipetext::FigureRecipe> HistoryCommands::figureOf(std::uint64_t id) const
{
    const HistoryEntry *entry = history_.find(id);
    if (!entry)
        return std::nullopt;
    recipetext::Reading reading = recipetext::read(entry->recipe);
    if (!reading.figure)
        std::fprintf(stderr, "volutra: a history entry cannot be read: %s\n", qPrintable(reading.error));
    return reading.figure;
}

void HistoryCommands::step(int direction)
{
    const FormState &state = form_.state();
    const bool fromNewDrawing = state.drawingActive != 0 && !recalling_;
    if (const HistoryEntry *to = history_.step(direction, fromNewDrawing))
        bringBack(to->id);
}

void HistoryCommands::bringBack(std::uint64_t id)
{
    if (const auto figure = figureOf(id))
        drawAgain(*figure, id);
}

void HistoryCommands::drawAgain(const recipetext::FigureRecipe &figure, std::optional<std::uint64_t> entry)
{
    FormState &state = form_.state();
    if (state.drawingActive != 0) {
        // The run ends at its next checkpoint, after which this is tried again.
        state.autoRunActive = 0;
        state.stopRequested = 1;
        QTimer::singleShot(0, this, [this, figure, entry] { drawAgain(figure, entry); });
        return;
    }
    const Recipe &r = figure.recipe;
    for (int i = 0; i < ParameterTexts::Count; ++i)
        form_.Frame1->setText(static_cast<ParameterTexts::Index>(i), QString::fromStdString(r.typed.text[i]));
    state.foregroundColor = r.penColor;
    state.backgroundColor = r.backColor;
    DrawingSurface &surface = form_.surface();
    surface.setBackColor(r.backColor);
    if (!figure.hasSettings) {
        // Parameter file lines alone: a drawing as "Draw" makes it.
        form_.Command1_Click();
        return;
    }
    // The figure's step, turns, pen, mode and placement stay, so that Draw
    // gives it again; the window's random colours and delays are the user's.
    const DrawingPrefs user = state.prefs;
    state.prefs = r.prefs;
    state.prefs.mouseDelay = user.mouseDelay;
    state.prefs.autoRunDelay = user.autoRunDelay;
    state.prefs.randomColors = r.randomPen ? 1 : 0;
    surface.setDrawWidth(r.prefs.penSize);
    surface.setDrawMode(r.prefs.drawMode);
    // The pen's colours come again from where the first drawing found the
    // generator; afterwards it goes on where it was, so that the random
    // figures that follow are new ones.
    RandomSource &random = form_.random();
    const RandomSource before = random;
    if (r.randomPen) {
        random.seed(r.randomPen->seed);
        random.skip(r.randomPen->drawsBefore);
    }
    if (state.autoClean != 1)
        form_.clean();
    recalling_ = entry;
    // A step taken while the figure is drawn goes on from it.
    if (entry)
        history_.setCurrent(*entry);
    form_.Command1_Click();
    recalling_.reset();
    random = before;
    state.prefs.randomColors = user.randomColors;
}

void HistoryCommands::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    const recipetext::Reading reading = recipetext::read(text.toUtf8());
    if (reading.figure)
        drawAgain(*reading.figure, std::nullopt);
}

void HistoryCommands::showWindow()
{
    if (!window_) {
        window_ = new HistoryWindow(&form_);
        std::vector<HistoryWindow::Row> rows;
        rows.reserve(history_.entries().size());
        for (const HistoryEntry &entry : history_.entries())
            rows.push_back(rowOf(entry));
        window_->setRows(rows);
        connect(window_, &HistoryWindow::chosen, this, &HistoryCommands::bringBack);
        connect(window_, &HistoryWindow::favouriteChanged, this, &HistoryCommands::setFavourite);
        connect(window_, &HistoryWindow::removeAsked, this, &HistoryCommands::remove);
        connect(window_, &HistoryWindow::exportAsked, this, &HistoryCommands::exportEntry);
        connect(window_, &HistoryWindow::copyAsked, this, &HistoryCommands::copyEntry);
        window_->move(form_.frameGeometry().topRight() + QPoint(8, 0));
        showCurrent();
    }
    window_->show();
    window_->raise();
}

void HistoryCommands::exportEntry(std::uint64_t id)
{
    const auto figure = figureOf(id);
    if (!figure)
        return;
    if (headless::refusal(figure->recipe)) {
        files_.exportFigure(*figure);
        return;
    }
    // Export writes the completed parameters, which drawing the figure once
    // more gives back.
    DrawingSurface surface(figure->canvas, figure->twipsPerPixel);
    headless::Job job;
    job.recipe = figure->recipe;
    job.size = figure->canvas;
    job.twipsPerPixel = figure->twipsPerPixel;
    files_.exportFigure({headless::draw(surface, job), figure->canvas, figure->twipsPerPixel, true});
}

void HistoryCommands::copyEntry(std::uint64_t id)
{
    if (const HistoryEntry *entry = history_.find(id))
        QGuiApplication::clipboard()->setText(QString::fromUtf8(entry->recipe));
}

void HistoryCommands::remove(std::uint64_t id)
{
    history_.remove(id);
    if (window_)
        window_->removeRow(id);
}

void HistoryCommands::setFavourite(std::uint64_t id, bool favourite)
{
    history_.setFavourite(id, favourite);
    if (window_)
        window_->setFavourite(id, favourite);
}

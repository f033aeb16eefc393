#pragma once

#include "form1.h"
#include "historycommands.h"
#include "surfaceimages.h"

#include <QImage>
#include <QList>
#include <QTest>

// Reaching and driving the window's history as a user does.
namespace historycheck {

inline HistoryCommands &of(Form1 &form)
{
    return *form.findChild<HistoryCommands *>();
}

// The canvas's pixels, as the window's client area holds them.
inline QImage canvas(Form1 &form)
{
    return surfaceimages::screenImage(form.surface()).copy(QRect(QPoint(0, 0), form.surface().size()));
}

// Alt+Left (-1) or Alt+Right (+1) on the window.
inline void step(Form1 &form, int direction)
{
    QTest::keyClick(&form, direction < 0 ? Qt::Key_Left : Qt::Key_Right, Qt::AltModifier);
}

// The canvas at the end of every drawing kept, with its recipe; AutoRun is
// stopped once `stopAfter` drawings are kept.
class Recorder {
public:
    explicit Recorder(Form1 &form, int stopAfter = -1)
    {
        QObject::connect(&of(form), &HistoryCommands::kept, &of(form), [this, &form, stopAfter] {
            images << canvas(form);
            recipes << *form.state().lastRecipe;
            if (images.size() == stopAfter)
                form.Frame1->Command17->click();
        });
    }
    QList<QImage> images;
    QList<Recipe> recipes;
};

} // namespace historycheck

// SPDX-License-Identifier: GPL-3.0-or-later
#include "figureopening.h"

#include "filecommands.h"
#include "form1.h"

#include <QTimer>

FigureOpening::FigureOpening(Form1 &form, FileCommands &files) : QObject(&form), form_(form), files_(files)
{
    setObjectName("FigureOpening");
}

void FigureOpening::open(const QString &path)
{
    if (form_.programEnded())
        return;
    FormState &state = form_.state();
    if (state.drawingActive != 0) {
        // The run ends at its next checkpoint, after which the file opens.
        state.autoRunActive = 0;
        state.stopRequested = 1;
        QTimer::singleShot(0, this, [this, path] { open(path); });
        return;
    }
    if (files_.open(path))
        form_.Command1_Click();
}

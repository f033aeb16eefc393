// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

#include <vector>

// Records the region of every paint event of the widget it watches.
class PaintRecorder : public QObject {
public:
    PaintRecorder() = default;
    explicit PaintRecorder(QWidget *widget) { watch(widget); }
    void watch(QWidget *widget) { widget->installEventFilter(this); }

    std::vector<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent *>(event)->region());
        return false;
    }
};

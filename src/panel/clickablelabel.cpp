// SPDX-License-Identifier: GPL-3.0-or-later
#include "clickablelabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    pressed_ = true;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A release ends a click only when it follows a press on the label; the
    // release after a double click does not.
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit doubleClicked();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

// Hands the next modal dialog to `handle`, which must close it: exec() does
// not return before. A modal widget of another type is rejected so that the
// test fails instead of hanging.
template <typename W> void whenModal(std::function<void(W *)> handle)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *widget = qobject_cast<W *>(modal))
            handle(widget);
        else if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer->start();
}

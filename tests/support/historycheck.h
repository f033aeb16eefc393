// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"
#include "historycommands.h"
#include "surfaceimages.h"

#include <QFile>
#include <QImage>
#include <QList>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

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

// Holds the lock of the history file at `path`, as another window writing
// it would, until release() or until `holdFor` has passed: a program that
// waited for the lock on its own thread would otherwise hang.
class HeldLock {
public:
    HeldLock(const QString &path, std::chrono::milliseconds holdFor)
        : fd_(::open(QFile::encodeName(path + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
        holder_ = std::thread([this, holdFor, released = released_.get_future()] {
            released.wait_for(holdFor);
            ::close(fd_);
        });
    }
    ~HeldLock() { release(); }
    HeldLock(const HeldLock &) = delete;
    HeldLock &operator=(const HeldLock &) = delete;
    bool held() const { return fd_ >= 0; }
    void release()
    {
        if (!holder_.joinable())
            return;
        released_.set_value();
        holder_.join();
    }

private:
    int fd_;
    std::promise<void> released_;
    std::thread holder_;
};

} // namespace historycheck

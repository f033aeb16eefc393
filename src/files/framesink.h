// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pixelimage.h"

#include <QByteArray>
#include <QSize>
#include <QString>

class QIODevice;

// An animation file being written: frames of one size, each shown for a
// number of ticks of 1/fps second, and at the end a note (the recipe and the
// animation's options) kept in the file's own place for text. One class per
// format stands behind it: gifsink, webpsink, mp4sink.
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Starts the file on `device`; false, with error() telling why, when the
    // encoder refuses the size or the device fails.
    virtual bool begin(QIODevice &device, QSize size, int fps) = 0;
    // Adds a frame of pixels (0xffRRGGBB) shown for `ticks` ticks.
    virtual bool add(const PixelRows &frame, int ticks) = 0;
    // Ends the file with `note` in it; nothing may be added after.
    virtual bool finish(const QByteArray &note) = 0;

    // Why the encoder failed; empty when the device failed, which tells its
    // own error.
    QString error() const { return error_; }

protected:
    bool fail(const QString &why)
    {
        error_ = why;
        return false;
    }

private:
    QString error_;
};

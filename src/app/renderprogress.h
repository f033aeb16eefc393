// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>

// The one progress line of a long render on a terminal: percent, points and
// time left, written over itself. Nothing shows in the first second, so that
// short renders stay silent, and the line is redrawn a few times a second.
class RenderProgress {
public:
    using Writer = std::function<void(const QByteArray &text)>;
    using Clock = std::function<double()>;

    // `points` is the drawing's point count and `step` its counter step;
    // `write` puts text on the terminal and `now` tells the seconds passed.
    RenderProgress(std::uint64_t points, std::int64_t step, Writer write, Clock now);

    // The drawing has reached `counter`.
    void reached(std::int64_t counter);
    // The drawing is done: the line, if shown, is cleared.
    void finish();

    // What is counted, "points" unless told otherwise (an animation counts
    // its frames).
    void setUnit(const char *unit) { unit_ = unit; }

    // Whether a line stands on the terminal now.
    bool shown() const { return shown_; }

    static constexpr double firstAfter = 1.0;
    static constexpr double redrawEvery = 0.25;

private:
    std::uint64_t points_;
    std::int64_t step_;
    Writer write_;
    Clock now_;
    double start_;
    double lastDrawn_ = -1;
    bool shown_ = false;
    const char *unit_ = "points";
};

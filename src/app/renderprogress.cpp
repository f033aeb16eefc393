// SPDX-License-Identifier: GPL-3.0-or-later
#include "renderprogress.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>

RenderProgress::RenderProgress(std::uint64_t points, std::int64_t step, Writer write, Clock now)
    : points_(std::max<std::uint64_t>(points, 1)), step_(step == 0 ? 1 : std::llabs(step)),
      write_(std::move(write)), now_(std::move(now)), start_(now_())
{
}

void RenderProgress::reached(std::int64_t counter)
{
    const double elapsed = now_() - start_;
    if (elapsed < firstAfter || (shown_ && elapsed - lastDrawn_ < redrawEvery))
        return;
    const std::uint64_t done = std::min<std::uint64_t>(std::uint64_t(std::llabs(counter) / step_), points_);
    const double fraction = double(done) / double(points_);
    QString left = "time left unknown";
    if (fraction > 0)
        left = QString("%1 s left").arg(std::ceil(elapsed * (1 - fraction) / fraction), 0, 'f', 0);
    const QString line = QString("volutra-render: %1% %2 of %3 %4, %5")
                             .arg(int(fraction * 100))
                             .arg(done)
                             .arg(points_)
                             .arg(unit_, left);
    // The line is written over the last one; the rest of that is cleared.
    write_("\r" + line.toLocal8Bit() + "\033[K");
    shown_ = true;
    lastDrawn_ = elapsed;
}

void RenderProgress::finish()
{
    if (shown_)
        write_("\r\033[K");
    shown_ = false;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "renderrefusal.h"

namespace renderrefusal {

namespace {

QString secondsText(double seconds)
{
    if (seconds < 120)
        return QString("%1 s").arg(seconds, 0, 'f', 0);
    if (seconds < 7200)
        return QString("%1 min").arg(seconds / 60, 0, 'f', 0);
    if (seconds < 2 * 86400)
        return QString("%1 h").arg(seconds / 3600, 0, 'f', 0);
    return QString("%1 days").arg(seconds / 86400, 0, 'g', 3);
}

} // namespace

std::optional<Refusal> beyondBudget(const headless::Work &work, double budget)
{
    if (budget == 0 || work.seconds <= budget)
        return std::nullopt;
    return Refusal{2,
                   QString("the drawing would take about %1 (%2 points with a pen of %3 pixels on %4 "
                           "pixels, %5 random numbers), beyond the budget of %6; --budget SECONDS "
                           "raises it, --budget 0 lifts it")
                       .arg(secondsText(work.seconds))
                       .arg(work.points)
                       .arg(work.penArea)
                       .arg(work.pixels)
                       .arg(work.draws)
                       .arg(secondsText(budget)),
                   false};
}

} // namespace renderrefusal

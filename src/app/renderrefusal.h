// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "headlessdrawing.h"

#include <QString>

#include <optional>

// Failures end the render command with an exit code and one line of message.
struct Refusal {
    int code;
    QString message;
    // Whether the help could tell what to type instead.
    bool pointsToHelp = true;
};

namespace renderrefusal {

// Refuses, before anything is drawn, work beyond the budget in seconds (0
// for none), naming the option that lifts it.
std::optional<Refusal> beyondBudget(const headless::Work &work, double budget);

} // namespace renderrefusal

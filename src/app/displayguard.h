// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Watches Qt's messages while the application object connects to the
// windowing system. When no display can be reached Qt ends the program with a
// fatal message after several lines about its platform plugins; instead the
// guard prints `noDisplay` as the one line on standard error and ends the
// program with exit code 1. Messages of a connection that works are passed on
// when the guard ends.
class DisplayGuard {
public:
    explicit DisplayGuard(const QString &noDisplay);
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "stopsignals.h"

#include <csignal>
#include <initializer_list>

#include <unistd.h>

namespace stopsignals {

namespace {

volatile std::sig_atomic_t lineOpen = 0;

// Only async-signal-safe calls: write and _exit.
extern "C" void stop(int signal)
{
    if (lineOpen)
        (void)!::write(STDERR_FILENO, "\n", 1);
    ::_exit(128 + signal);
}

} // namespace

void install()
{
    struct sigaction action = {};
    action.sa_handler = stop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void setLineOpen(bool open)
{
    lineOpen = open ? 1 : 0;
}

} // namespace stopsignals

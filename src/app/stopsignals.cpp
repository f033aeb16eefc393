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
    // A signal the caller set to be ignored stays ignored, as nohup and a
    // shell's background jobs expect.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before = {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

void setLineOpen(bool open)
{
    lineOpen = open ? 1 : 0;
}

} // namespace stopsignals

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SIGINT, SIGTERM and SIGHUP stop a render at once with exit code 128 plus
// the signal's number (130, 143, 129). Nothing needs undoing: the picture is
// written without a name and linked into place only when complete, and the
// safe writer holds these signals while it does so.
namespace stopsignals {

// Installs the handlers.
void install();

// Whether a progress line stands on the terminal, which a stop ends with a
// line break.
void setLineOpen(bool open);

} // namespace stopsignals

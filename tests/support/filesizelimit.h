// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>
#include <sys/resource.h>

// Lowers the largest size a file of this process may grow to for as long as
// it lives, so that a write beyond it fails half-way with EFBIG as on a full
// disk, root included. The signal such a write raises is ignored meanwhile;
// both are restored at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        saved_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ok_ = saved_ && ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        if (saved_)
            ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // Whether the limit is in force.
    bool ok() const { return ok_; }

private:
    rlimit old_ = {};
    void (*oldHandler_)(int) = SIG_DFL;
    bool saved_ = false;
    bool ok_ = false;
};

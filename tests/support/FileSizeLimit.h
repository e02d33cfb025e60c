#pragma once

#include <csignal>

#include <sys/resource.h>

// Limits the size of files this process (and what it starts) may write, as a full disk would,
// with SIGXFSZ ignored so that a write past the limit fails instead of ending the process. Both
// are put back when the object goes, even when a test stops early.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) {
            return;
        }
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        if (oldHandler_ != SIG_ERR) {
            ::setrlimit(RLIMIT_FSIZE, &saved_);
            std::signal(SIGXFSZ, oldHandler_);
        }
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the limit is in force.
    bool active() const { return active_; }

private:
    struct rlimit saved_ {};
    void (*oldHandler_)(int) = SIG_ERR;
    bool active_ = false;
};

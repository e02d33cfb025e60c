#include "sim/PtyConverter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vandrel::sim {
namespace {

// Output the terminal has not taken yet is kept up to this much; beyond it, as on a line with
// no one listening, bytes are lost.
constexpr std::size_t kMaxPending = 1 << 20;

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

PtyConverter::PtyConverter(ModelSettings settings, FaultSettings faults)
    : model_(std::move(settings)) {
    model_.setFaults(faults);
    model_.setOutputHandler([this](std::span<const std::uint8_t> bytes) { writeOut(bytes); });
}

PtyConverter::~PtyConverter() {
    stop();
}

bool PtyConverter::start(const std::string& linkPath) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        error_ = "already running";
        return false;
    }
    linkPath_ = linkPath;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        error_ = systemError("eventfd");
        return false;
    }
    if (!openTerminal() || !updateLink()) {
        closeTerminal();
        ::close(wakeFd_);
        wakeFd_ = -1;
        return false;
    }
    origin_ = std::chrono::steady_clock::now() - model_.now();
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyConverter::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stopping_ = true;
    wake();
    thread_.join();
    std::lock_guard lock(mutex_);
    removeLink();
    closeTerminal();
    ::close(wakeFd_);
    wakeFd_ = -1;
}

std::string PtyConverter::devicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

bool PtyConverter::unplug() {
    return plug(PlugRequest::Unplug);
}

bool PtyConverter::replug() {
    return plug(PlugRequest::Replug);
}

// The serving thread owns the descriptors it waits on, so it opens and closes them itself.
bool PtyConverter::plug(PlugRequest request) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) {
        error_ = "not running";
        return false;
    }
    plugRequest_ = request;
    wake();
    plugDone_.wait(lock, [this] { return plugRequest_ == PlugRequest::None; });
    return plugResult_;
}

bool PtyConverter::openTerminal() {
    masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd_ < 0) {
        error_ = systemError("posix_openpt");
        return false;
    }
    char name[128];
    if (::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0 ||
        ::ptsname_r(masterFd_, name, sizeof name) != 0) {
        error_ = systemError("pseudo-terminal setup");
        closeTerminal();
        return false;
    }
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd_ < 0) {
        error_ = systemError("open pseudo-terminal");
        closeTerminal();
        return false;
    }
    // Binary line: no echo, no line editing, no character translation.
    termios tio{};
    if (::tcgetattr(slaveFd_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveFd_, TCSANOW, &tio);
    }
    ::fcntl(masterFd_, F_SETFL, ::fcntl(masterFd_, F_GETFL) | O_NONBLOCK);
    devicePath_ = name;
    pending_.clear();
    return true;
}

void PtyConverter::closeTerminal() {
    for (int* fd : {&masterFd_, &slaveFd_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
    devicePath_.clear();
    pending_.clear();
}

bool PtyConverter::updateLink() {
    if (linkPath_.empty()) {
        return true;
    }
    struct stat st {};
    if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error_ = linkPath_ + " exists and is not a symbolic link";
        return false;
    }
    // Made beside the link and renamed over it, so the link is never missing or half made.
    const std::string temporary = linkPath_ + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(devicePath_.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        error_ = systemError(("link " + linkPath_).c_str());
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void PtyConverter::removeLink() {
    if (linkPath_.empty()) {
        return;
    }
    // Only our own link goes: another server may have taken the path over meanwhile.
    char target[256];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == devicePath_) {
        ::unlink(linkPath_.c_str());
    }
}

void PtyConverter::wake() {
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

void PtyConverter::catchUp() {
    model_.advanceTo(
        std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - origin_));
}

void PtyConverter::writeOut(std::span<const std::uint8_t> bytes) {
    if (masterFd_ < 0) {
        return; // unplugged: the bytes go nowhere
    }
    const std::size_t room = kMaxPending - std::min(kMaxPending, pending_.size());
    pending_.insert(pending_.end(), bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
    flushOut();
}

void PtyConverter::flushOut() {
    while (!pending_.empty() && masterFd_ >= 0) {
        const ssize_t n = ::write(masterFd_, pending_.data(), pending_.size());
        if (n <= 0) {
            return; // full (or failing): poll says when it takes more
        }
        pending_.erase(pending_.begin(), pending_.begin() + n);
    }
}

void PtyConverter::serve() {
    // Wake-ups are the line's byte times; the default timer slack would add to every answer.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        timespec timeout{};
        bool waitForever = true;
        {
            std::unique_lock lock(mutex_);
            if (plugRequest_ != PlugRequest::None) {
                if (plugRequest_ == PlugRequest::Unplug) {
                    removeLink();
                    closeTerminal();
                    plugResult_ = true;
                } else {
                    closeTerminal();
                    plugResult_ = openTerminal() && updateLink();
                }
                plugRequest_ = PlugRequest::None;
                plugDone_.notify_all();
            }
            if (stopping_) {
                return;
            }
            catchUp();
            flushOut();
            if (masterFd_ >= 0) {
                fds[1] = {masterFd_, static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)),
                          0};
            }
            if (const auto due = model_.nextDue()) {
                const auto wait = std::max(SimTime{0}, *due - model_.now());
                timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
                timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
                waitForever = false;
            }
        }
        if (::ppoll(fds, 2, waitForever ? nullptr : &timeout, nullptr) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &count, sizeof count);
        }
        if (fds[1].revents & POLLIN) {
            std::lock_guard lock(mutex_);
            const ssize_t n = ::read(masterFd_, buffer.data(), buffer.size());
            if (n > 0) {
                catchUp();
                model_.receiveBytes({buffer.data(), static_cast<std::size_t>(n)});
            }
        }
    }
}

} // namespace vandrel::sim

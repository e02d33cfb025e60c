#pragma once

#include "protocol/SessionInterfaces.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A clock that only moves when a test says so. advance() fires every timer that falls due, in
// order of due time (timers due at the same moment in the order they were started); a callback
// may start and kill timers, and those are honoured within the same advance.
class ManualTimerService : public vandrel::TimerService {
public:
    vandrel::TimerId startTimer(int milliseconds,
                                std::function<void(vandrel::TimerId)> onExpiry) override {
        if (refuseTimers) {
            return 0;
        }
        const vandrel::TimerId id = nextId_++;
        timers_.push_back({id, now_ + milliseconds, std::move(onExpiry)});
        return id;
    }

    void killTimer(vandrel::TimerId id) override {
        std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
    }

    // Runs `action` after `milliseconds`, on this clock (for scripted peers).
    void after(int milliseconds, std::function<void()> action) {
        startTimer(milliseconds, [action = std::move(action)](vandrel::TimerId) { action(); });
    }

    void advance(std::int64_t milliseconds) {
        const std::int64_t target = now_ + milliseconds;
        for (;;) {
            auto next = std::min_element(timers_.begin(), timers_.end(),
                                         [](const Timer& a, const Timer& b) {
                                             return a.due != b.due ? a.due < b.due : a.id < b.id;
                                         });
            if (next == timers_.end() || next->due > target) {
                break;
            }
            Timer due = std::move(*next);
            timers_.erase(next);
            now_ = due.due;
            due.onExpiry(due.id);
        }
        now_ = target;
    }

    // Advances until no timer is left or `limit` milliseconds have passed.
    void runUntilIdle(std::int64_t limit = 600000) {
        const std::int64_t end = now_ + limit;
        while (auto due = nextDue()) {
            if (*due > end) {
                break;
            }
            advance(*due - now_);
        }
    }

    std::int64_t now() const { return now_; }
    std::size_t running() const { return timers_.size(); }
    bool isRunning(vandrel::TimerId id) const {
        return std::any_of(timers_.begin(), timers_.end(),
                           [id](const Timer& t) { return t.id == id; });
    }
    // How long until the timer `id` expires; none when it does not run.
    std::optional<std::int64_t> remaining(vandrel::TimerId id) const {
        for (const Timer& t : timers_) {
            if (t.id == id) {
                return t.due - now_;
            }
        }
        return std::nullopt;
    }
    std::optional<std::int64_t> nextDue() const {
        std::optional<std::int64_t> due;
        for (const Timer& t : timers_) {
            if (!due || t.due < *due) {
                due = t.due;
            }
        }
        return due;
    }

    bool refuseTimers = false; // startTimer answers 0, as when no timer can be created

private:
    struct Timer {
        vandrel::TimerId id;
        std::int64_t due;
        std::function<void(vandrel::TimerId)> onExpiry;
    };
    std::vector<Timer> timers_;
    std::int64_t now_ = 0;
    vandrel::TimerId nextId_ = 1;
};

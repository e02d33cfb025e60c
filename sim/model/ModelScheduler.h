#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <vector>

// The stand-in converter's own notion of time: a clock that moves only when told to, and the
// events due on it. Tests drive it by hand; the pseudo-terminal server drives it from the real
// clock.
namespace vandrel::sim {

using SimTime = std::chrono::nanoseconds; // since the model was created

class ModelScheduler {
public:
    SimTime now() const { return now_; }

    // Runs `action` once the clock reaches `when` (at once on the next run when it already has).
    // Events due at the same time run in the order they were scheduled.
    void at(SimTime when, std::function<void()> action);
    void after(SimTime delay, std::function<void()> action) { at(now_ + delay, std::move(action)); }

    // Runs every event due up to `until` in time order, moving the clock along with them, and
    // leaves the clock at `until` (it never goes back). Events scheduled meanwhile run too when
    // they fall due in time.
    void runUntil(SimTime until);

    std::optional<SimTime> nextDue() const;

private:
    struct Event {
        SimTime when;
        std::uint64_t sequence;
        std::function<void()> action;
    };
    struct Later {
        bool operator()(const Event& a, const Event& b) const {
            return a.when != b.when ? a.when > b.when : a.sequence > b.sequence;
        }
    };

    SimTime now_{0};
    std::uint64_t nextSequence_ = 0;
    std::priority_queue<Event, std::vector<Event>, Later> events_;
};

} // namespace vandrel::sim

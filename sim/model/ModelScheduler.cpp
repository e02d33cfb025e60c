#include "sim/model/ModelScheduler.h"

#include <algorithm>

namespace vandrel::sim {

void ModelScheduler::at(SimTime when, std::function<void()> action) {
    events_.push(Event{std::max(when, now_), nextSequence_++, std::move(action)});
}

void ModelScheduler::runUntil(SimTime until) {
    while (!events_.empty() && events_.top().when <= until) {
        // Copied out before popping: the action may schedule further events.
        Event event = events_.top();
        events_.pop();
        now_ = std::max(now_, event.when);
        event.action();
    }
    now_ = std::max(now_, until);
}

std::optional<SimTime> ModelScheduler::nextDue() const {
    if (events_.empty()) {
        return std::nullopt;
    }
    return events_.top().when;
}

} // namespace vandrel::sim

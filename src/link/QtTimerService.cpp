#include "link/QtTimerService.h"

#include <QTimerEvent>

namespace vandrel {

QtTimerService::QtTimerService() : receiver_(*this) {}

QtTimerService::~QtTimerService() {
    for (const auto& [id, callback] : callbacks_) {
        receiver_.killTimer(static_cast<int>(id));
    }
}

TimerId QtTimerService::startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) {
    const int id = receiver_.startTimer(milliseconds, Qt::PreciseTimer);
    if (id <= 0) {
        return 0;
    }
    callbacks_[static_cast<TimerId>(id)] = std::move(onExpiry);
    return static_cast<TimerId>(id);
}

void QtTimerService::killTimer(TimerId id) {
    if (callbacks_.erase(id) != 0) {
        receiver_.killTimer(static_cast<int>(id));
    }
}

// One-shot: the timer is gone before its callback runs, so the callback may start and kill
// timers freely.
void QtTimerService::expire(TimerId id) {
    const auto it = callbacks_.find(id);
    if (it == callbacks_.end()) {
        return;
    }
    std::function<void(TimerId)> callback = std::move(it->second);
    callbacks_.erase(it);
    receiver_.killTimer(static_cast<int>(id));
    callback(id);
}

void QtTimerService::Receiver::timerEvent(QTimerEvent* event) {
    owner_.expire(static_cast<TimerId>(event->timerId()));
}

} // namespace vandrel

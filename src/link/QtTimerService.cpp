#include "link/QtTimerService.h"

#include <QTimer>

namespace vandrel {

QtTimerService::~QtTimerService() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

TimerId QtTimerService::startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) {
    TimerId id = ++lastId_;
    if (id == 0) { // wrapped: 0 means "no timer"
        id = ++lastId_;
    }
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, onExpiry = std::move(onExpiry)] {
        // Forget the timer before the callback, which may start the next one.
        const auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        it->second->deleteLater();
        timers_.erase(it);
        onExpiry(id);
    });
    timers_.emplace(id, timer);
    timer->start(milliseconds < 0 ? 0 : milliseconds);
    return id;
}

void QtTimerService::killTimer(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

} // namespace vandrel

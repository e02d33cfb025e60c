#pragma once

#include "protocol/SessionInterfaces.h"

#include <QObject>

#include <map>
#include <memory>

class QTimer;

namespace vandrel {

// One-shot timers on the thread that owns this object, for the protocol engine. Each timer gets a
// fresh id, so a late expiry of a killed timer can never be taken for a newer one.
class QtTimerService final : public QObject, public TimerService {
public:
    QtTimerService() = default;
    ~QtTimerService() override;

    TimerId startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) override;
    void killTimer(TimerId id) override;

    std::size_t activeCount() const { return timers_.size(); }

private:
    std::map<TimerId, QTimer*> timers_;
    TimerId lastId_ = 0;
};

} // namespace vandrel

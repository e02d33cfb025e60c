#pragma once

#include "protocol/SessionInterfaces.h"

#include <QObject>

#include <functional>
#include <map>

namespace vandrel {

// The session's one-shot timers on the Qt event loop of the thread that creates this object.
class QtTimerService final : public TimerService {
public:
    QtTimerService();
    ~QtTimerService() override;
    QtTimerService(const QtTimerService&) = delete;
    QtTimerService& operator=(const QtTimerService&) = delete;

    TimerId startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) override;
    void killTimer(TimerId id) override;

private:
    // Receives the Qt timer events; the ids are Qt's own.
    class Receiver final : public QObject {
    public:
        explicit Receiver(QtTimerService& owner) : owner_(owner) {}

    protected:
        void timerEvent(QTimerEvent* event) override;

    private:
        QtTimerService& owner_;
    };

    void expire(TimerId id);

    Receiver receiver_;
    std::map<TimerId, std::function<void(TimerId)>> callbacks_;
};

} // namespace vandrel

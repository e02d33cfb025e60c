#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace vandrel {

// Calls a handler once each time the event queue has run empty after an event that may have
// changed something. Mouse moves, paints and timer ticks do not count, so an idle window stays
// idle.
class IdleUpdater : public QObject {
public:
    IdleUpdater(std::function<void()> onIdle, QObject* parent);
    ~IdleUpdater() override;

    bool armed() const { return timer_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onIdle_;
    QTimer timer_;
};

} // namespace vandrel

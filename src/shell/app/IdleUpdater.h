#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace vandrel {

// Calls a handler once the event queue has run empty after an event that may have changed
// something, but at most once every kMinGap: a converter sending hundreds of frames a second
// would otherwise have the handler run for each one. Mouse moves, paints and timer ticks do not
// count, so an idle window stays idle.
class IdleUpdater : public QObject {
public:
    static constexpr std::chrono::milliseconds kMinGap{200};

    IdleUpdater(std::function<void()> onIdle, QObject* parent,
                std::chrono::milliseconds minGap = kMinGap);
    ~IdleUpdater() override;

    bool armed() const { return timer_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onIdle_;
    std::chrono::milliseconds minGap_;
    QTimer timer_;
    QElapsedTimer sinceLast_;
};

} // namespace vandrel

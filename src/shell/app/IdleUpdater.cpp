#include "shell/app/IdleUpdater.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace vandrel {

namespace {

bool rearms(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::Timer:
        return false;
    default:
        return true;
    }
}

} // namespace

IdleUpdater::IdleUpdater(std::function<void()> onIdle, QObject* parent,
                         std::chrono::milliseconds minGap)
    : QObject(parent), onIdle_(std::move(onIdle)), minGap_(minGap) {
    // A zero timer fires once the queue holds nothing else; a later one once the gap is over.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
        sinceLast_.start();
        onIdle_();
    });
    QCoreApplication::instance()->installEventFilter(this);
    timer_.start();
}

IdleUpdater::~IdleUpdater() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool IdleUpdater::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &timer_ && !timer_.isActive() && rearms(event->type())) {
        const auto since =
            sinceLast_.isValid() ? std::chrono::milliseconds(sinceLast_.elapsed()) : minGap_;
        timer_.start(std::max(std::chrono::milliseconds(0), minGap_ - since));
    }
    return false;
}

} // namespace vandrel

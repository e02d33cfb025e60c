#include "shell/app/IdleUpdater.h"

#include <QCoreApplication>
#include <QEvent>

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

IdleUpdater::IdleUpdater(std::function<void()> onIdle, QObject* parent)
    : QObject(parent), onIdle_(std::move(onIdle)) {
    // A zero timer fires once the queue holds nothing else.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { onIdle_(); });
    QCoreApplication::instance()->installEventFilter(this);
    timer_.start();
}

IdleUpdater::~IdleUpdater() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool IdleUpdater::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &timer_ && !timer_.isActive() && rearms(event->type())) {
        timer_.start();
    }
    return false;
}

} // namespace vandrel

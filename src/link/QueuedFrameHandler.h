#pragma once

#include "link/SerialChannel.h"

#include <QObject>

#include <functional>
#include <memory>

namespace vandrel {

// A frame handler for the channel that hands each frame to `onFrame` on the thread of `context`
// (the main window): the frame travels with a queued call. Frames still queued when `context`
// is destroyed are released.
inline SerialChannel::FrameHandler queuedFrameHandler(QObject* context,
                                                      std::function<void(ReceivedFrame)> onFrame) {
    auto shared = std::make_shared<std::function<void(ReceivedFrame)>>(std::move(onFrame));
    return [context, shared](ReceivedFrame frame) {
        QMetaObject::invokeMethod(
            context, [shared, f = std::move(frame)]() mutable { (*shared)(std::move(f)); },
            Qt::QueuedConnection);
    };
}

} // namespace vandrel

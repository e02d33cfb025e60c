#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace vandrel {

// Turns SIGINT and SIGTERM into a call on the event loop, so a command can end cleanly (switch
// monitoring off, cancel a transfer). Only one watcher exists at a time.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    std::function<void()> onInterrupt_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vandrel

#pragma once

#include <functional>
#include <memory>

namespace vandrel {

// A one-shot timer of the GUI thread. The view delays building a page behind it; tests replace
// it to fire the delay themselves.
class ViewTimer {
public:
    virtual ~ViewTimer() = default;
    // Calls the expiry function once after `milliseconds`, restarting a running timer.
    virtual void start(int milliseconds) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setExpiry(std::function<void()> expiry) { expiry_ = std::move(expiry); }

protected:
    void expire() {
        if (expiry_) {
            expiry_();
        }
    }

private:
    std::function<void()> expiry_;
};

// The timer on a QTimer.
std::unique_ptr<ViewTimer> MakeQtViewTimer();

} // namespace vandrel

#pragma once

#include <functional>

namespace vandrel {

// The main window's busy state while a device operation runs: the wait cursor, and the window's
// input blocked unless a modal dialog that blocks it already is open.
class BusyState {
public:
    // `setInputEnabled` blocks or frees the window's input; `blockedByDialog` answers whether a
    // dialog that blocks it is open.
    BusyState(std::function<void(bool)> setInputEnabled, std::function<bool()> blockedByDialog);
    ~BusyState();
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

    void enter();
    void leave();
    bool busy() const { return busy_; }

private:
    std::function<void(bool)> setInputEnabled_;
    std::function<bool()> blockedByDialog_;
    bool busy_ = false;
};

} // namespace vandrel

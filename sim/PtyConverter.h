#pragma once

#include "sim/model/ConverterModel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Serves a stand-in converter on a pseudo-terminal, so that the utility's real serial code talks
// to it as to a device. The converter's side of the terminal is served by a thread of its own,
// which sleeps until bytes arrive or the model has something due; the model's clock follows the
// real one.
namespace vandrel::sim {

class PtyConverter {
public:
    explicit PtyConverter(ModelSettings settings = {}, FaultSettings faults = {});
    ~PtyConverter();
    PtyConverter(const PtyConverter&) = delete;
    PtyConverter& operator=(const PtyConverter&) = delete;

    // Creates the terminal and starts serving it. `linkPath`, when given, becomes a symbolic link
    // to the device; an existing file there that is not a symbolic link is left alone and the
    // start fails. False with error() set on failure.
    bool start(const std::string& linkPath = {});
    void stop();

    // The device the utility opens (e.g. /dev/pts/7); empty while unplugged or stopped.
    std::string devicePath() const;
    const std::string& linkPath() const { return linkPath_; }
    const std::string& error() const { return error_; }

    // Unplugging closes the terminal (the utility's port sees the line go) and removes the link;
    // replugging creates a new terminal under the same link. The model keeps its state.
    bool unplug();
    bool replug();

    // Runs `action` on the model while the server is not touching it.
    template <typename Action> auto withModel(Action&& action) {
        std::lock_guard lock(mutex_);
        struct Wake {
            PtyConverter* self;
            ~Wake() { self->wake(); }
        } wakeAfter{this};
        return action(model_);
    }

private:
    enum class PlugRequest { None, Unplug, Replug };
    bool plug(PlugRequest request);

    bool openTerminal();  // under mutex_
    void closeTerminal(); // under mutex_
    bool updateLink();    // under mutex_
    void removeLink();    // under mutex_
    void serve();
    void wake();
    void catchUp(); // under mutex_: the model's clock to the real one
    void writeOut(std::span<const std::uint8_t> bytes); // under mutex_
    void flushOut();                                    // under mutex_

    ConverterModel model_;
    std::chrono::steady_clock::time_point origin_;
    mutable std::mutex mutex_;
    std::condition_variable plugDone_;
    PlugRequest plugRequest_ = PlugRequest::None;
    bool plugResult_ = false;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int wakeFd_ = -1;
    int masterFd_ = -1;
    int slaveFd_ = -1; // held open so the terminal stays up while no one else has it open
    std::string devicePath_;
    std::string linkPath_;
    std::string error_;
    std::vector<std::uint8_t> pending_; // written once the terminal takes more
};

} // namespace vandrel::sim

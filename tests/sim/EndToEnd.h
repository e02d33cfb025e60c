#pragma once

#include "ManualTimers.h"
#include "SessionRig.h"

#include "protocol/DeviceSession.h"
#include "protocol/FrameAssembler.h"
#include "protocol/FrameWire.h"
#include "sim/model/ConverterModel.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>

// The protocol engine and the stand-in converter joined by an in-process line, on one manual
// clock. The engine's frames are stuffed and fed to the converter's assembler; the converter's
// bytes go through a host-side assembler and reach the engine between clock steps, never from
// inside one of its own calls.
namespace vandrel::sim::testing {

class EndToEnd : public FrameSink {
public:
    explicit EndToEnd(ModelSettings settings = {}, const FaultSettings& faults = {})
        : model(std::move(settings)),
          hostAssembler_([this](ReceivedFrame r) { inbox_.push_back(std::move(r)); }) {
        model.setFaults(faults);
        model.setOutputHandler(
            [this](std::span<const std::uint8_t> bytes) { hostAssembler_.feed(bytes); });
        host.session = &session;
        host.clock = &clock;
        SessionLinks links;
        links.host = &host;
        links.monitor = &pane;
        links.channel = this;
        links.timers = &clock;
        if (std::getenv("VANDREL_E2E_TRACE") != nullptr) {
            links.trace = &trace;
        }
        session.connect(links);
    }

    bool postFrame(FramePtr frame) override {
        sent.emplace_back(frame->frameBytes().begin(), frame->frameBytes().end());
        model.receiveBytes(frameStuff(frame->frameBytes()));
        return true;
    }
    bool isOpen() const override { return true; }

    // Runs until `done` holds, event by event; false when `limitMs` passes first.
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs = 120000) {
        const std::int64_t deadline = clock.now() + limitMs;
        while (!done()) {
            if (!step(deadline)) {
                moveTo(deadline);
                return done();
            }
        }
        return true;
    }
    void run(std::int64_t ms) {
        runUntil([] { return false; }, ms);
    }

    // The result of the next report of `code` not yet consumed; none when none comes in time.
    std::optional<int> result(SessionProgress code, std::int64_t limitMs = 120000) {
        std::optional<int> found;
        runUntil(
            [&] {
                for (std::size_t i = consumed_; i < host.posted.size(); ++i) {
                    if (host.posted[i].first == code) {
                        found = host.posted[i].second;
                        consumed_ = i + 1;
                        return true;
                    }
                }
                return false;
            },
            limitMs);
        return found;
    }
    // The next result of an operation of `kind` not yet consumed; none when none comes in time.
    std::optional<OperationResult> ended(OperationKind kind, std::int64_t limitMs = 120000) {
        std::optional<OperationResult> found;
        runUntil(
            [&] {
                for (std::size_t i = resultsConsumed_; i < host.results.size(); ++i) {
                    if (host.results[i].kind == kind) {
                        found = host.results[i];
                        resultsConsumed_ = i + 1;
                        return true;
                    }
                }
                return false;
            },
            limitMs);
        return found;
    }
    int reports(SessionProgress code) const {
        return static_cast<int>(std::count_if(host.posted.begin(), host.posted.end(),
                                              [code](const auto& p) { return p.first == code; }));
    }

    // Until the converter runs its code undisturbed and the engine waits for nothing.
    bool settle() {
        return runUntil([this] {
            return model.running() && session.timerId() == 0 && clock.nextDue() == std::nullopt;
        });
    }

    // Frames the engine sent, in order.
    std::size_t sentWith(std::uint8_t tag) const {
        return static_cast<std::size_t>(
            std::count_if(sent.begin(), sent.end(), [tag](const auto& b) {
                ProtocolFrame f;
                std::copy(b.begin(), b.end(), f.bytes.begin());
                return frameFindField(f, tag).has_value();
            }));
    }

    ManualTimerService clock;
    std::vector<std::vector<std::uint8_t>> sent;
    rig::Host host;
    rig::Pane pane;
    rig::Trace trace; // attached when VANDREL_E2E_TRACE is set, to follow a failing flow
    ConverterModel model;
    DeviceSession session;

private:
    static SimTime modelTime(std::int64_t ms) { return std::chrono::milliseconds(ms); }

    void deliver() {
        while (!inbox_.empty()) {
            ReceivedFrame frame = std::move(inbox_.front());
            inbox_.pop_front();
            session.onFrameReceived(std::move(frame));
        }
    }

    // One step: frames that arrived, else the next event of either side. False when nothing is
    // due before the deadline.
    bool step(std::int64_t deadline) {
        if (!inbox_.empty()) {
            deliver();
            return true;
        }
        std::optional<std::int64_t> next = clock.nextDue();
        if (const auto due = model.nextDue()) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*due).count();
            next = next ? std::min(*next, ms) : ms;
        }
        if (!next || *next > deadline) {
            return false;
        }
        moveTo(std::max(*next, clock.now()));
        return true;
    }

    // Converter first, then what it sent, then the engine's timers: an answer that arrives in
    // the same millisecond as a time-out is taken first.
    void moveTo(std::int64_t ms) {
        model.advanceTo(modelTime(ms));
        deliver();
        clock.advance(ms - clock.now());
    }

    FrameAssembler hostAssembler_;
    std::deque<ReceivedFrame> inbox_;
    std::size_t consumed_ = 0;
    std::size_t resultsConsumed_ = 0;
};

} // namespace vandrel::sim::testing

#pragma once

#include "ManualTimers.h"

#include "protocol/DeviceSession.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionInterfaces.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// Test doubles around one DeviceSession: a host that records progress reports and answers
// questions, a trace and a monitor pane that record what they are told, and a channel that keeps
// every frame sent. The clock is a ManualTimerService.
namespace rig {

using Bytes = std::vector<std::uint8_t>;

// "A1 02 15 00 48"
inline std::string hex(const Bytes& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on the inlined insert of
        // `const char* + std::string&&`, wrongly.
        if (i != 0) {
            text += ' ';
        }
        text += digits;
    }
    return text;
}

inline Bytes bytesOf(const std::string& hexText) {
    Bytes bytes;
    std::istringstream in(hexText);
    unsigned value;
    while (in >> std::hex >> value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

inline Bytes frameBytes(const vandrel::ProtocolFrame& frame) {
    const auto span = frame.frameBytes();
    return {span.begin(), span.end()};
}

struct Field {
    std::uint8_t tag;
    Bytes value;
};

// A sealed frame as the converter would send it.
inline vandrel::FramePtr makeFrame(std::uint8_t type, std::initializer_list<Field> fields) {
    vandrel::FramePtr frame = vandrel::frameCreate(type);
    for (const Field& f : fields) {
        vandrel::frameAddField(*frame, f.tag, static_cast<std::uint8_t>(f.value.size()),
                               f.value.data());
    }
    vandrel::frameSeal(*frame);
    return frame;
}

inline vandrel::ReceivedFrame received(vandrel::FramePtr frame) {
    const std::size_t count = frame->length();
    return {std::move(frame), count};
}

// Raw bytes delivered as one frame, exactly as given.
inline vandrel::ReceivedFrame receivedRaw(const Bytes& bytes) {
    vandrel::FramePtr frame = vandrel::frameCreate(0);
    std::copy(bytes.begin(), bytes.end(), frame->bytes.begin());
    return {std::move(frame), bytes.size()};
}

struct Host : vandrel::SessionHost {
    int linkAnswer = 1;
    // Answers to the password question in order; the entered text becomes the access password.
    // When the list is used up, the question is cancelled. The answer comes from the event loop
    // (the clock's next step, `settle()`), never from inside the session.
    std::vector<std::string> passwordEntries;
    bool answerPasswords = true;
    vandrel::DeviceSession* session = nullptr;
    ManualTimerService* clock = nullptr;
    std::vector<std::pair<vandrel::SessionProgress, int>> posted;
    std::vector<vandrel::OperationResult> results;
    int linkQueries = 0;
    int passwordQuestions = 0;
    std::function<void()> onFatal;

    bool ensureLink() override {
        ++linkQueries;
        return linkAnswer != 0;
    }
    void postSessionProgress(vandrel::SessionProgress code, int value) override {
        posted.emplace_back(code, value);
    }
    void operationEnded(const vandrel::OperationResult& result) override {
        results.push_back(result);
    }
    void passwordWanted() override {
        ++passwordQuestions;
        if (!answerPasswords || !clock) {
            return;
        }
        clock->after(0, [this] {
            if (!session) {
                return;
            }
            if (passwordEntries.empty()) {
                session->answerPassword(std::nullopt);
                return;
            }
            const std::string entered = passwordEntries.front();
            passwordEntries.erase(passwordEntries.begin());
            session->answerPassword(entered);
        });
    }
    void fatalOutOfMemory() override {
        if (onFatal) {
            onFatal();
        }
        std::exit(1);
    }

    int count(vandrel::SessionProgress code, int value) const {
        int n = 0;
        for (const auto& p : posted) {
            n += p.first == code && p.second == value;
        }
        return n;
    }
    std::optional<std::pair<vandrel::SessionProgress, int>> last() const {
        if (posted.empty()) {
            return std::nullopt;
        }
        return posted.back();
    }
    // The result of the last operation that ended; none yet.
    std::optional<vandrel::OperationResult> lastResult() const {
        if (results.empty()) {
            return std::nullopt;
        }
        return results.back();
    }
};

struct Trace : vandrel::TraceSink {
    std::vector<std::string> lines;
    std::vector<vandrel::TraceColour> colours;
    std::vector<std::string> dumps; // "OUT: A1 02 15 00 48"

    void addLine(std::string_view text, vandrel::TraceColour colour) override {
        lines.emplace_back(text);
        colours.push_back(colour);
    }
    // Hidden bytes show as "**", as every trace of the program shows them.
    void dumpFrame(std::span<const std::uint8_t> bytes, vandrel::FrameDirection d,
                   const vandrel::HiddenBytes& hidden) override {
        std::string text = hex(Bytes(bytes.begin(), bytes.end()));
        for (std::size_t i = 0; i < bytes.size() && i < hidden.size(); ++i) {
            if (hidden.test(i)) {
                text.replace(i * 3, 2, "**");
            }
        }
        dumps.push_back((d == vandrel::FrameDirection::Out ? "OUT: " : "IN: ") + text);
    }
};

struct Pane : vandrel::MonitorPane {
    std::vector<bool> monitoringCalls;
    std::string shown; // monitor output appended so far

    void setMonitoring(bool on) override { monitoringCalls.push_back(on); }
    void appendMonitorText(std::span<const std::uint8_t> text) override {
        shown.append(text.begin(), text.end());
    }
};

// Keeps every frame sent; `onSent` lets a scripted peer react (it must not call back into the
// session directly: schedule the answer on the clock instead).
struct Channel : vandrel::FrameSink {
    bool open = true;
    std::vector<Bytes> sent;
    std::function<void(const vandrel::ProtocolFrame&)> onSent;

    bool postFrame(vandrel::FramePtr frame) override {
        sent.push_back(frameBytes(*frame));
        if (onSent) {
            onSent(*frame);
        }
        return true;
    }
    bool isOpen() const override { return open; }
};

// A session wired to all the doubles.
struct SessionRig {
    ManualTimerService clock;
    Host host;
    Trace trace;
    Pane pane;
    Channel channel;
    vandrel::DeviceSession session;

    SessionRig() {
        host.session = &session;
        host.clock = &clock;
        session.connect(links());
    }

    vandrel::SessionLinks links() {
        vandrel::SessionLinks l;
        l.host = &host;
        l.monitor = &pane;
        l.trace = &trace;
        l.channel = &channel;
        l.timers = &clock;
        return l;
    }

    void deliver(vandrel::FramePtr frame) {
        session.onFrameReceived(received(std::move(frame)));
        settle();
    }
    void deliver(std::uint8_t type, std::initializer_list<Field> fields) {
        deliver(makeFrame(type, fields));
    }
    // Runs what the host does next in its event loop (the password answer), without time
    // passing.
    void settle() { clock.advance(0); }
    std::string lastSent() const { return channel.sent.empty() ? "" : hex(channel.sent.back()); }
    // Time left on the session's response timer; none when no timer runs.
    std::optional<std::int64_t> timeout() const { return clock.remaining(session.timerId()); }
    // Brings the session to Failed: a system information request that is never answered.
    void failByTimeouts() {
        session.requestSystemInfo();
        clock.advance(4 * vandrel::kResponseTimeoutMs);
    }
    // Forgets what was sent, traced and reported so far.
    void forget() {
        channel.sent.clear();
        trace.lines.clear();
        trace.colours.clear();
        trace.dumps.clear();
        host.posted.clear();
        host.results.clear();
    }
};

} // namespace rig

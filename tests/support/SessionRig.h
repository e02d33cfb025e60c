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
    // When the list is used up, the question is cancelled.
    std::vector<std::string> passwordEntries;
    vandrel::DeviceSession* session = nullptr;
    std::optional<vandrel::PasswordChangeTexts> changeDialog;
    std::vector<std::pair<vandrel::SessionProgress, int>> posted;
    std::vector<vandrel::SessionQuery> queries;
    std::function<void()> onFatal;

    int sessionQuery(vandrel::SessionQuery query) override {
        queries.push_back(query);
        if (query == vandrel::SessionQuery::EnsureLink) {
            return linkAnswer;
        }
        if (query == vandrel::SessionQuery::AskPassword) {
            if (passwordEntries.empty()) {
                return 0;
            }
            if (session) {
                session->accessPassword = passwordEntries.front();
            }
            passwordEntries.erase(passwordEntries.begin());
            return 1;
        }
        return 0;
    }
    void postSessionProgress(vandrel::SessionProgress code, int value) override {
        posted.emplace_back(code, value);
    }
    std::optional<vandrel::PasswordChangeTexts> passwordChangeTexts() const override {
        return changeDialog;
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
};

struct Trace : vandrel::TraceSink {
    std::vector<std::string> lines;
    std::vector<vandrel::TraceColour> colours;
    std::vector<std::string> dumps; // "OUT: A1 02 15 00 48"

    void addLine(std::string_view text, vandrel::TraceColour colour) override {
        lines.emplace_back(text);
        colours.push_back(colour);
    }
    void dumpFrame(std::span<const std::uint8_t> bytes, vandrel::FrameDirection d) override {
        dumps.push_back((d == vandrel::FrameDirection::Out ? "OUT: " : "IN: ") +
                        hex(Bytes(bytes.begin(), bytes.end())));
    }
};

struct Pane : vandrel::MonitorPane {
    std::vector<bool> monitoringCalls;
    std::string shown; // monitor output appended so far
    std::string command;

    void setMonitoring(bool on) override { monitoringCalls.push_back(on); }
    void appendMonitorText(std::span<const std::uint8_t> text) override {
        shown.append(text.begin(), text.end());
    }
    std::string commandText() const override { return command; }
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
        session.notifyWindow = &host;
        session.monitorPane = &pane;
        session.trace = &trace;
        session.channel = &channel;
        session.timers = &clock;
    }

    void deliver(vandrel::FramePtr frame) { session.onFrameReceived(received(std::move(frame))); }
    void deliver(std::uint8_t type, std::initializer_list<Field> fields) {
        deliver(makeFrame(type, fields));
    }
    std::string lastSent() const { return channel.sent.empty() ? "" : hex(channel.sent.back()); }
    // Time left on the session's response timer; none when no timer runs.
    std::optional<std::int64_t> timeout() const { return clock.remaining(session.timerId); }
};

} // namespace rig

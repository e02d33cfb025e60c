#pragma once

#include "protocol/OperationResult.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionTypes.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <span>
#include <string_view>

// The small interfaces through which the protocol engine reaches the rest of the program, so it
// runs the same against the real window, port and clock as against test doubles.
namespace vandrel {

// The program that owns the session: the window or the command-line tool.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // Makes sure the serial link is open before an operation starts; false: nothing may be
    // sent. Asked only when the host starts an operation, never from a frame or a timer, so
    // the host may ask the user for a port here.
    virtual bool ensureLink() = 0;
    // Queued: the host handles them after the caller has returned, in the order posted.
    virtual void postSessionProgress(SessionProgress code, int value) = 0;
    virtual void operationEnded(const OperationResult& result) = 0;
    // The converter wants the access password: the running operation waits, with no timer,
    // until the host calls DeviceSession::answerPassword. Must return at once (open a dialog
    // with open(), queue a prompt); the session is not re-entered from here.
    virtual void passwordWanted() = 0;
    // A frame could not be allocated: tell the user and end the process with exit code 1.
    // Must not return.
    virtual void fatalOutOfMemory() { std::exit(1); }
};

using TimerId = std::uint32_t; // 0 = no timer

// One-shot timers delivered on the session's thread.
class TimerService {
public:
    virtual ~TimerService() = default;
    // Calls `onExpiry(id)` once after `milliseconds`; returns the new timer's id, 0 on failure.
    virtual TimerId startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) = 0;
    // Cancels a timer; an unknown or expired id is ignored.
    virtual void killTimer(TimerId id) = 0;
};

// Where sealed frames go: the serial channel.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes ownership; false when no writer runs (the frame is then released).
    virtual bool postFrame(FramePtr frame) = 0;
    virtual bool isOpen() const = 0;
};

using TraceColour = std::uint32_t; // 0xBBGGRR

inline constexpr TraceColour kTraceStatusColour = 0x808000;
inline constexpr TraceColour kTraceTextColour = 0x000000;
inline constexpr TraceColour kTraceOutColour = 0xFF0000;
inline constexpr TraceColour kTraceInColour = 0x0000FF;
inline constexpr TraceColour kTraceMarkerColour = 0x0000FF;

enum class FrameDirection { Out = 0, In = 1 };

// Which bytes of a dumped frame are secret (passwords) and shown as "**".
using HiddenBytes = std::bitset<kFrameCapacity>;

// The protocol trace: status lines and hex dumps of every frame.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void addLine(std::string_view text, TraceColour colour) = 0;
    // `hidden` marks the bytes whose value must not be shown.
    virtual void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction,
                           const HiddenBytes& hidden) = 0;

    // printf-style convenience over addLine.
    void addFormattedLine(TraceColour colour, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
};

// The system monitor's display.
class MonitorPane {
public:
    virtual ~MonitorPane() = default;
    virtual void setMonitoring(bool on) = 0;
    virtual void appendMonitorText(std::span<const std::uint8_t> text) = 0;
};

} // namespace vandrel
